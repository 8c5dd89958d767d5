#include "app/Language.h"

#include <QCoreApplication>
#include <QTranslator>

#include <memory>

namespace wheel {

namespace {

std::unique_ptr<QTranslator> g_translator;

} // namespace

LanguageChoice ChooseLanguage(const QString& requested, const QLocale& system)
{
    LanguageChoice choice;
    if (!requested.isEmpty()) {
        // "en", "en_GB", "en-US.UTF-8", "zh_CN" ...; QLocale takes the C locale
        // for names it does not know.
        QString name = requested.trimmed();
        name.truncate(name.indexOf(QLatin1Char('.')) >= 0 ? name.indexOf(QLatin1Char('.')) : name.size());
        const QLocale::Language language = QLocale(name).language();
        if (language == QLocale::English)
            choice.language = UiLanguage::English;
        else if (language != QLocale::Chinese)
            choice.warning = QStringLiteral("wheel-editor: no translation for --lang %1; the editor speaks Chinese\n")
                                 .arg(requested);
        return choice;
    }
    const QStringList uiLanguages = system.uiLanguages();
    const QLocale::Language first =
        uiLanguages.isEmpty() ? system.language() : QLocale(uiLanguages.first()).language();
    if (first == QLocale::English)
        choice.language = UiLanguage::English;
    return choice;
}

bool InstallLanguage(UiLanguage language)
{
    if (g_translator) {
        QCoreApplication::removeTranslator(g_translator.get());
        g_translator.reset();
    }
    if (language == UiLanguage::Chinese)
        return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral(":/i18n/wheel-editor_en.qm")))
        return false;
    QCoreApplication::installTranslator(translator.get());
    g_translator = std::move(translator);
    return true;
}

LanguageChoice SetUpLanguage(const QString& requested)
{
    LanguageChoice choice = ChooseLanguage(requested, QLocale::system());
    if (!InstallLanguage(choice.language)) {
        choice.warning += QStringLiteral("wheel-editor: the English translation is missing; the editor speaks Chinese\n");
        choice.language = UiLanguage::Chinese;
    }
    return choice;
}

} // namespace wheel
