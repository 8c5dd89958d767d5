#include "dialogs/Fonts.h"

#include <QGuiApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

#include <optional>

namespace wheel {

namespace {

const QStringList& PreferredFamilies()
{
    static const QStringList families = {
        QStringLiteral("WenQuanYi Zen Hei"),
        QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("Source Han Sans SC"),
        QStringLiteral("WenQuanYi Micro Hei"),
        QStringLiteral("Droid Sans Fallback"),
    };
    return families;
}

} // namespace

QString CjkSansFamily()
{
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : PreferredFamilies()) {
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    }
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString& family : chinese) {
        if (!QFontDatabase::isPrivateFamily(family))
            return family;
    }
    return {};
}

QString InstallCjkFontSubstitutions()
{
    const QString family = CjkSansFamily();
    if (family.isEmpty())
        return family;
    const QStringList faces = {
        QStringLiteral("黑体"), QStringLiteral("SimHei"),
        QStringLiteral("宋体"), QStringLiteral("SimSun"),
    };
    for (const QString& face : faces) {
        if (!QFontDatabase::hasFamily(face) && !QFont::substitutes(face).contains(family, Qt::CaseInsensitive))
            QFont::insertSubstitution(face, family);
    }
    return family;
}

namespace {

std::optional<QFont> g_defaultUiFont;

} // namespace

void InstallApplicationFont()
{
    const QString family = InstallCjkFontSubstitutions();
    QFont font = QGuiApplication::font();
    if (!family.isEmpty())
        font.setFamilies({family});
    font.setPixelSize(12);
    QGuiApplication::setFont(font);
    g_defaultUiFont = QGuiApplication::font();
}

QFont DefaultUiFont()
{
    return g_defaultUiFont.value_or(QGuiApplication::font());
}

} // namespace wheel
