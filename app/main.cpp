#include "app/AppOptions.h"
#include "app/WheelApp.h"
#include "picture/Codecs.h"
#include "picture/PictureLoader.h"

#include <QStringList>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    // --help and --version answer without a display. Everything else is read
    // once Qt has taken its own options (-platform, -display ...) out.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const wheel::ParsedCommandLine early = wheel::ParseCommandLine(raw);
    if (early.exit && early.exitCode == 0) {
        std::fputs(early.output.toLocal8Bit().constData(), stdout);
        return 0;
    }

    CWheelApp app(argc, argv);
    const int status = app.InitInstance();
    // A picture still loading when the window closed is not waited for: the
    // program ends at once, without the static destructors the load may
    // still be using.
    if (wheel::PictureLoader::Abandoned() > 0) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    wheel::codecs::FinishLoading();
    return status;
}
