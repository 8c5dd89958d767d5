#pragma once
// The message log's line format and the two spellings of its text: the log
// keeps lines separated by "\r\n"; the edit box holds them with "\n".

#include <QString>
#include <QTime>

namespace wheel {

// text, then " (HH:MM:SS)" when withTime is exactly 1, then "\r\n" when
// withNewline is exactly 1. Any other flag value leaves its part out.
QString FormatLogLine(const QString& text, const QTime& time, int withTime, int withNewline);

// "\r\n" (and a lone "\r") to "\n", for the edit box.
QString LogTextToWidget(const QString& logText);
// "\n" to "\r\n", the log's own line separator.
QString WidgetTextToLog(const QString& widgetText);

} // namespace wheel
