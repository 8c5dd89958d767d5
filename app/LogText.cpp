#include "app/LogText.h"

namespace wheel {

QString FormatLogLine(const QString& text, const QTime& time, int withTime, int withNewline)
{
    QString line = text;
    if (withTime == 1)
        line += QStringLiteral(" (") + time.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(")");
    if (withNewline == 1)
        line += QStringLiteral("\r\n");
    return line;
}

QString LogTextToWidget(const QString& logText)
{
    QString text = logText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString WidgetTextToLog(const QString& widgetText)
{
    QString text = LogTextToWidget(widgetText);
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text;
}

} // namespace wheel
