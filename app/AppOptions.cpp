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
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A picture (BMP, JPEG or PNG) to open, or a picture set (.wheelset)."),
                                 QStringLiteral("[FILE]"));
    if (!parser.parse(arguments)) {
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
    parsed.options.simulate = parser.isSet(simulate);
    parsed.options.lang = parser.value(lang);
    parsed.files = parser.positionalArguments();
    return parsed;
}

} // namespace wheel
