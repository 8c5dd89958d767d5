#include "dialogs/MenuFont.h"

#include "dialogs/Fonts.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QMenu>

namespace wheel {

namespace {

class MenuFontFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Polish)
            if (auto* menu = qobject_cast<QMenu*>(watched))
                menu->setFont(LatinMenuFont());
        return false;
    }
};

MenuFontFilter* g_filter = nullptr;

} // namespace

bool EllipsisOnBaseline(const QFont& font)
{
    const QFontMetricsF metrics(font);
    const QRectF ink = metrics.tightBoundingRect(QStringLiteral("\u2026"));
    return !ink.isEmpty() && ink.bottom() > -0.15 * metrics.ascent();
}

QFont LatinMenuFont()
{
    QStringList candidates = {QFontDatabase::systemFont(QFontDatabase::GeneralFont).family(),
                              QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"),
                              QStringLiteral("Liberation Sans"), QStringLiteral("FreeSans")};
    QStringList families;
    for (const QString& family : candidates) {
        QFont face(family);
        if (QFontInfo(face).exactMatch() || QFontDatabase::hasFamily(family)) {
            face.setPixelSize(12);
            if (EllipsisOnBaseline(face)) {
                families << QFontInfo(face).family();
                break;
            }
        }
    }
    const QString cjk = CjkSansFamily();
    if (!cjk.isEmpty())
        families << cjk;
    QFont font;
    if (!families.isEmpty())
        font.setFamilies(families);
    return font;
}

void UseLatinMenuFont(bool use)
{
    if (use && !g_filter) {
        g_filter = new MenuFontFilter(qApp);
        qApp->installEventFilter(g_filter);
    } else if (!use && g_filter) {
        delete g_filter;
        g_filter = nullptr;
    }
}

} // namespace wheel
