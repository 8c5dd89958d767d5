#include "app/AppOptions.h"

#include <QCommandLineParser>

namespace wheel {

ParsedCommandLine ParseCommandLine(const QStringList& arguments)
{
    ParsedCommandLine parsed;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Editor for the bicycle wheel light"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Use a simulated wheel light instead of the USB device."));
    parser.addOption(help);
    parser.addOption(version);
    const QCommandLineOption lang(QStringLiteral("lang"),
                                  QStringLiteral("Show the editor in this language: en (English) or zh (Chinese). "
                                                 "Without it the system's language decides; Chinese unless it is English."),
                                  QStringLiteral("LANG"));
    parser.addOption(simulate);
    parser.addOption(lang);
    if (!parser.parse(arguments)) {
        parsed.exit = true;
        parsed.exitCode = 2;
        parsed.output = parser.errorText() + QStringLiteral("\n\n") + parser.helpText();
        return parsed;
    }
    if (parser.isSet(help)) {
        parsed.exit = true;
        parsed.output = parser.helpText();
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.exit = true;
        parsed.output = QStringLiteral("wheel-editor 2.0\n");
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty()) {
        parsed.exit = true;
        parsed.exitCode = 2;
        parsed.output = QStringLiteral("Unexpected argument: ") + parser.positionalArguments().first()
                      + QStringLiteral("\n\n") + parser.helpText();
        return parsed;
    }
    parsed.options.simulate = parser.isSet(simulate);
    parsed.options.lang = parser.value(lang);
    return parsed;
}

} // namespace wheel
