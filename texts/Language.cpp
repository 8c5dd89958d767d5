#include "texts/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace wheel {

namespace {

std::unique_ptr<QTranslator> g_translator;   // the editor's own catalogue (English)
std::unique_ptr<QTranslator> g_qtTranslator; // Qt's own dialogs and buttons (Chinese)
UiLanguage g_installed = UiLanguage::Chinese;

void Install(std::unique_ptr<QTranslator>& slot, std::unique_ptr<QTranslator> translator)
{
    QCoreApplication::installTranslator(translator.get());
    slot = std::move(translator);
}

} // namespace

LanguageChoice ChooseLanguage(const QString& requested, const QLocale& system, const QString& program)
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
            choice.warning = QStringLiteral("%1: no translation for --lang %2; the editor speaks Chinese\n")
                                 .arg(program, requested);
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
    for (auto* slot : {&g_translator, &g_qtTranslator}) {
        if (*slot) {
            QCoreApplication::removeTranslator(slot->get());
            slot->reset();
        }
    }
    g_installed = UiLanguage::Chinese;
    if (language == UiLanguage::Chinese) {
        // Qt's own texts (the OK button, the file and font dialogs) in Chinese
        // too, where Qt's translations are installed; English otherwise.
        auto qt = std::make_unique<QTranslator>();
        if (qt->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            Install(g_qtTranslator, std::move(qt));
        return true;
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral(":/i18n/wheel-editor_en.qm")))
        return false;
    Install(g_translator, std::move(translator));
    g_installed = UiLanguage::English;
    return true;
}

UiLanguage InstalledLanguage()
{
    return g_installed;
}

QLocale ShownLocale(const QLocale& system)
{
    const QLocale::Language wanted = g_installed == UiLanguage::English ? QLocale::English : QLocale::Chinese;
    if (system.language() == wanted)
        return system;
    return wanted == QLocale::English ? QLocale(QLocale::English, QLocale::UnitedStates)
                                      : QLocale(QLocale::Chinese, QLocale::China);
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
