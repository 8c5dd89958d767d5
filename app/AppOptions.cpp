#include "app/AppOptions.h"

#include <QCommandLineParser>

namespace wheel {

namespace {

// Qt names the program after argv[0], or "<executable_name>" before the
// application object exists; the usage line names it as it is installed.
QString HelpText(const QCommandLineParser& parser)
{
    QString text = parser.helpText();
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    return text.replace(0, end, QStringLiteral("Usage: wheel-editor [options] [FILE]"));
}

} // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments)
{
    ParsedCommandLine parsed;
    // A flag of QCommandLineParser cannot also take a value, so
    // --simulate=VALUE is read here and the rest goes to the parser.
    const QString simulateWithValue = QStringLiteral("--simulate=");
    QStringList rest;
    std::optional<Simulation> simulation;
    QString badSimulation;
    bool optionsEnd = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        optionsEnd = optionsEnd || (i > 0 && argument == QLatin1String("--"));
        if (i > 0 && !optionsEnd && argument.startsWith(simulateWithValue)) {
            simulation = SimulationFromOptionValue(argument.mid(simulateWithValue.size()).toStdString());
            if (!simulation)
                badSimulation = argument;
            continue;
        }
        rest << argument;
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Editor for the bicycle wheel light"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Use a simulated wheel light instead of the USB device "
                                                     "(--simulate=absent: one that is not plugged in)."));
    parser.addOption(help);
    parser.addOption(version);
    const QCommandLineOption lang(QStringLiteral("lang"),
                                  QStringLiteral("Show the editor in this language: en (English) or zh (Chinese). "
                                                 "Without it the system's language decides; Chinese unless it is English."),
                                  QStringLiteral("LANG"));
    parser.addOption(simulate);
    parser.addOption(lang);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A picture (BMP, JPEG or PNG) to open, or a picture set (.wheelset)."),
                                 QStringLiteral("[FILE]"));
    if (!parser.parse(rest)) {
        parsed.exit = true;
        parsed.exitCode = 2;
        parsed.output = parser.errorText() + QStringLiteral("\n\n") + HelpText(parser);
        return parsed;
    }
    if (parser.isSet(help)) {
        parsed.exit = true;
        parsed.output = HelpText(parser);
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.exit = true;
        parsed.output = QStringLiteral("wheel-editor 2.0\n");
        return parsed;
    }
    if (!badSimulation.isEmpty()) {
        parsed.exit = true;
        parsed.exitCode = 2;
        parsed.output = QStringLiteral("Unknown value in %1: use --simulate or --simulate=absent\n\n").arg(badSimulation)
                      + HelpText(parser);
        return parsed;
    }
    if (simulation)
        parsed.options.simulate = *simulation;
    else if (parser.isSet(simulate))
        parsed.options.simulate = Simulation::Present;
    parsed.options.lang = parser.value(lang);
    parsed.files = parser.positionalArguments();
    return parsed;
}

} // namespace wheel
