#pragma once
// The editor's command line: wheel-editor [--simulate[=absent]] [--lang LANG] [FILE]

#include "usb/HidBackend.h"

#include <QString>
#include <QStringList>

namespace wheel {

struct AppOptions {
    Simulation simulate = Simulation::Off;  // the simulated wheel light instead of USB
    QString lang;            // --lang: "en" or "zh"; empty follows the system's locale
};

struct ParsedCommandLine {
    AppOptions options;
    bool exit = false;       // --help, --version or an error: print and leave
    int exitCode = 0;
    QString output;          // what to print before leaving
    QStringList files;       // the files named after the options, as given
};

// arguments[0] is the program name.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

} // namespace wheel
