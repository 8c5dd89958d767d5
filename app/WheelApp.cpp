#include "app/WheelApp.h"

#include "app/AppOptions.h"
#include "texts/Language.h"
#include "dialogs/Fonts.h"
#include "dialogs/MenuFont.h"
#include "app/WheelDlg.h"
#include "picture/Codecs.h"

#include <QEvent>
#include <QIcon>
#include <QTimer>

#include <cstdio>

namespace {

// Starts loading the picture codecs once the window has been painted for the
// first time: the loader would otherwise compete with the window's start,
// and Qt's own plug-ins wait for the dynamic loader while it works.
class CodecPreload : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            // Queued: it runs once this paint and the flush to the screen are done.
            QTimer::singleShot(0, [] { wheel::codecs::StartLoading(); });
            watched->removeEventFilter(this);
        }
        return false;
    }
};

} // namespace

CWheelApp::CWheelApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("wheel-editor"));
    setApplicationVersion(QStringLiteral("2.0"));
    // Ties the windows to packaging/wheel-editor.desktop (name and icon on Wayland).
    setDesktopFileName(QStringLiteral("wheel-editor"));
    // No display name: on X11 Qt appends it to every window title that does
    // not end with it ("… — 驰光…" after the English title and the DIY
    // dialog's). Boxes that speak for the program name kApplicationTitle.
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
    wheel::UseLatinMenuFont(language.language == wheel::UiLanguage::English);

    CWheelDlg dlg(parsed.options);
    // The files open once the window is up, so that a message about them
    // shows over it.
    if (!parsed.files.isEmpty())
        QTimer::singleShot(0, &dlg, [&dlg, files = parsed.files] { dlg.OpenFiles(files); });
    CodecPreload preload;
    dlg.installEventFilter(&preload);
    dlg.exec();
    return 0;
}
