#include "app/WindowBeside.h"

#include "app/WindowPlacement.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QWidget>

namespace {

bool IsControl(const QWidget* widget)
{
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget)
        || qobject_cast<const QComboBox*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget)
        || qobject_cast<const QMenuBar*>(widget)
        || (qobject_cast<const QAbstractSlider*>(widget) && !qobject_cast<const QScrollBar*>(widget));
}

} // namespace

void PlaceBeside(QWidget* window, const QWidget* owner, QSize wanted, QSize minimum)
{
    const QRect frame = owner->frameGeometry();
    const QRect inner = owner->geometry();
    const QSize decoration = frame.size() - inner.size();

    wheel::PlacementRequest request;
    request.available = owner->screen()->availableGeometry();
    request.owner = frame;
    if (inner.top() > frame.top())
        request.keepClear.push_back(QRect(frame.left(), frame.top(), frame.width(), inner.top() - frame.top()));
    for (const QWidget* child : owner->findChildren<QWidget*>()) {
        if (child->isVisible() && IsControl(child))
            request.keepClear.push_back(QRect(child->mapToGlobal(QPoint(0, 0)), child->size()));
    }
    // Never below what its layout needs: a larger font makes that more.
    const QSize least = minimum.expandedTo(window->minimumSizeHint());
    request.wanted = wanted.expandedTo(least) + decoration;
    request.minimum = least + decoration;
    const QRect place = wheel::PlaceWindow(request);
    window->resize(place.size() - decoration);
    window->move(place.topLeft());
}

void ShowBeside(QWidget* window, const QWidget* owner, bool first)
{
    if (first) {
        window->adjustSize();
        PlaceBeside(window, owner, window->size(), window->size());
    }
    window->show();
    window->raise();
    window->activateWindow();
}
