#include "app/WheelApp.h"

#include "app/AppOptions.h"
#include "app/Language.h"
#include "dialogs/Fonts.h"
#include "app/WheelDlg.h"

#include <QIcon>

#include <cstdio>

CWheelApp::CWheelApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("wheel-editor"));
    setApplicationVersion(QStringLiteral("2.0"));
    // Ties the windows to packaging/wheel-editor.desktop (name and icon on Wayland).
    setDesktopFileName(QStringLiteral("wheel-editor"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/wheel.png")));
}

int CWheelApp::InitInstance()
{
    const wheel::ParsedCommandLine parsed = wheel::ParseCommandLine(arguments());
    if (parsed.exit) {
        std::fputs(parsed.output.toLocal8Bit().constData(), parsed.exitCode == 0 ? stdout : stderr);
        return parsed.exitCode;
    }
    wheel::InstallApplicationFont();

    const wheel::LanguageChoice language = wheel::SetUpLanguage(parsed.options.lang);
    if (!language.warning.isEmpty())
        std::fputs(language.warning.toLocal8Bit().constData(), stderr);

    CWheelDlg dlg(parsed.options);
    dlg.exec();
    return 0;
}
