// wheelctl speaks the editor's language: its log lines and message boxes are
// made in Chinese by the core and shown in English where the editor would
// show them in English (--lang, else the system's locale). wheelctl's own
// messages (usage, files) are English.

#include "cli/Command.h"

#include "texts/Language.h"
#include "texts/ShownText.h"

#include <QCoreApplication>

#include <iostream>

namespace wheelctl {

std::unique_ptr<QCoreApplication> SetUpLanguage(const std::string& requested)
{
    const wheel::LanguageChoice choice =
        wheel::ChooseLanguage(QString::fromStdString(requested), QLocale::system(), QStringLiteral("wheelctl"));
    std::cerr << choice.warning.toStdString();
    if (choice.language == wheel::UiLanguage::Chinese)
        return nullptr;  // the core's own language: nothing to install
    // A catalogue is installed into the application object.
    static int argc = 1;
    static char name[] = "wheelctl";
    static char* argv[] = {name, nullptr};
    auto app = std::make_unique<QCoreApplication>(argc, argv);
    if (!wheel::InstallLanguage(choice.language))
        std::cerr << "wheelctl: the English translation is missing; the editor speaks Chinese\n";
    return app;
}

std::string Shown(const std::string& text)
{
    return wheel::TranslateShown(QString::fromStdString(text)).toStdString();
}

std::string English(const std::string& text)
{
    return wheel::EnglishShown(QString::fromStdString(text)).toStdString();
}

} // namespace wheelctl
