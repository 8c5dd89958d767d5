#include "dialogs/TemplateLayout.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QTextLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace wheel {

namespace {

constexpr const char* kLayoutProperty = "wheelTemplateLayout";

// Moves a window left and up as far as it sticks out of its screen's free
// area, never past that area's left or top edge.
void KeepOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    QPoint to = frame.topLeft();
    to.setX(std::max(area.left(), std::min(to.x(), area.right() + 1 - frame.width())));
    to.setY(std::max(area.top(), std::min(to.y(), area.bottom() + 1 - frame.height())));
    if (to != frame.topLeft())
        window->move(to);
}

} // namespace

DialogBaseUnits MeasureBaseUnits(const QFont& font, QPaintDevice* device)
{
    const QFontMetricsF metrics = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
    DialogBaseUnits units;
    units.averageWidth =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
    // Through the fallback faces, as a label draws it: "第幅", as the slot
    // boxes have them.
    units.ideographWidth = metrics.horizontalAdvance(QStringLiteral("\u7b2c\u5e45")) / 2.0;
    QTextLayout line(QStringLiteral("Ayg\u7b2c\u5e45"), font, device);
    line.beginLayout();
    QTextLine first = line.createLine();
    line.endLayout();
    units.lineHeight = first.isValid() ? first.height() : metrics.height();
    return units;
}

QSizeF TemplateScale(const DialogBaseUnits& font, const DialogBaseUnits& reference)
{
    auto ratio = [](qreal value, qreal base) { return base > 0 && value > 0 ? value / base : 1.0; };
    const qreal x = std::max(ratio(font.averageWidth, reference.averageWidth),
                             ratio(font.ideographWidth, reference.ideographWidth));
    const qreal y = ratio(font.lineHeight, reference.lineHeight);
    return {std::max<qreal>(1.0, x), std::max<qreal>(1.0, y)};
}

QRect ScaleTemplateRect(const QRect& rect, QSizeF scale)
{
    const int left = static_cast<int>(std::lround(rect.x() * scale.width()));
    const int top = static_cast<int>(std::lround(rect.y() * scale.height()));
    const int right = static_cast<int>(std::lround((rect.x() + rect.width()) * scale.width()));
    const int bottom = static_cast<int>(std::lround((rect.y() + rect.height()) * scale.height()));
    return {left, top, right - left, bottom - top};
}

CTemplateLayout::CTemplateLayout(QWidget* container, const QFont& reference, QPaintDevice* referenceDevice)
    : QObject(container)
    , m_container(container)
    , m_reference(MeasureBaseUnits(reference, referenceDevice))
    , m_size(container->size())
{
    container->setProperty(kLayoutProperty, QVariant::fromValue(static_cast<QObject*>(this)));
    Record();
    container->installEventFilter(this);
    if (container->window() != container)
        container->window()->installEventFilter(this);
    Apply();
}

CTemplateLayout* CTemplateLayout::Of(const QWidget* container)
{
    return qobject_cast<CTemplateLayout*>(container->property(kLayoutProperty).value<QObject*>());
}

void CTemplateLayout::KeepGeometry(QWidget* child)
{
    Record();
    for (Control& control : m_controls)
        if (control.widget == child)
            control.kept = true;
}

bool CTemplateLayout::Record()
{
    std::erase_if(m_controls, [](const Control& control) { return control.widget.isNull(); });
    bool added = false;
    for (QWidget* child : m_container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        const bool known = std::any_of(m_controls.begin(), m_controls.end(),
                                       [child](const Control& control) { return control.widget == child; });
        if (!known) {
            m_controls.push_back({child, child->geometry(), false});
            added = true;
        }
    }
    return added;
}

void CTemplateLayout::Apply()
{
    const bool added = Record();
    const QSizeF scale = TemplateScale(MeasureBaseUnits(m_container->font(), m_container), m_reference);
    // With the template's own font nothing is touched: the pixels stay the
    // .ui file's.
    if (scale == m_scale && !added)
        return;
    m_scale = scale;
    for (const Control& control : m_controls)
        if (!control.kept)
            control.widget->setGeometry(ScaleTemplateRect(control.rect, scale));
    const QSize size = ScaleTemplateRect(QRect(QPoint(0, 0), m_size), scale).size();
    m_container->setFixedSize(size);
}

bool CTemplateLayout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_container && (event->type() == QEvent::FontChange || event->type() == QEvent::Show))
        Apply();
    // A window on screen that grew (a desktop font that comes after the first
    // show) is moved back within the screen where it now sticks out.
    if (watched == m_container->window() && event->type() == QEvent::Resize && m_container->window()->isVisible())
        KeepOnScreen(m_container->window());
    return QObject::eventFilter(watched, event);
}

} // namespace wheel
