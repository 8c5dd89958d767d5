#include "app/AppOptions.h"
#include "app/WheelApp.h"

#include <QStringList>

#include <cstdio>

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
    return app.InitInstance();
}
