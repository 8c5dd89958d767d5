#include "dialogs/MenuFont.h"

#include "dialogs/Fonts.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QMenu>

#include <algorithm>

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
    // Drawn, not taken from the glyph's metrics, which some faces give as
    // the whole height above the baseline.
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(QStringLiteral("\u2026")) + 4, metrics.height() + 4, QImage::Format_Grayscale8);
    image.fill(255);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(2, 2 + metrics.ascent(), QStringLiteral("\u2026"));
    }
    int lowest = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.constScanLine(y)[x] < 128)
                lowest = y;
    return lowest >= 0 && lowest >= 2 + metrics.ascent() - std::max(1, metrics.ascent() / 6);
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
