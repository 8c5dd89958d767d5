#pragma once
// The editor's language: Chinese, its own, unless the user's desktop speaks
// English or --lang asks for a translation. Qt Linguist catalogues are built
// into the program (":/i18n/wheel-editor_<lang>.qm").

#include <QLocale>
#include <QString>

namespace wheel {

enum class UiLanguage { Chinese, English };

struct LanguageChoice {
    UiLanguage language = UiLanguage::Chinese;
    QString warning;   // for stderr: --lang named a language without a translation
};

// requested is the value of --lang, empty when it was not given; it wins over
// the system's locale, whose first user-interface language decides otherwise.
// program names the speaker of the warning ("wheel-editor", "wheelctl").
LanguageChoice ChooseLanguage(const QString& requested, const QLocale& system,
                              const QString& program = QStringLiteral("wheel-editor"));

// Makes the application speak the language from now on: widgets built later
// and every text passed through TranslateShown. Chinese removes the English
// catalogue and puts Qt's own texts (OK buttons, file and font dialogs) into
// Chinese where Qt's translations are installed. False when the English
// catalogue could not be loaded (the texts then stay Chinese).
bool InstallLanguage(UiLanguage language);

// What the editor does at start: chooses by --lang (requested) and the
// system's locale, and installs the choice. The warning is for stderr.
LanguageChoice SetUpLanguage(const QString& requested);

// The language installed last (Chinese before any).
UiLanguage InstalledLanguage();
// The locale that dates and numbers are written in: the system's where it
// speaks the editor's language (its own conventions: en_GB, zh_TW ...),
// else the language's own (US English, mainland Chinese).
QLocale ShownLocale(const QLocale& system = QLocale::system());

} // namespace wheel
