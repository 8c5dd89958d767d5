#pragma once
// The canvas text counted and wrapped as the system's GBK code page sees it:
// ASCII takes one unit, a Chinese character two. A character that GBK cannot
// encode also counts as two units and is kept whole; nothing is dropped.

#include <QString>
#include <QStringView>

#include <vector>

namespace wheel {

// GBK units of every character of `text`, one entry per character (a
// surrogate pair is one character).
struct GbkChar {
    qsizetype pos = 0;   // index in the QString
    qsizetype len = 1;   // QChars (2 for a surrogate pair)
    int units = 1;       // GBK bytes: 1 or 2
};
std::vector<GbkChar> SplitGbk(QStringView text);

// The length that the entry box's limit counts.
int GbkUnits(QStringView text);

// Characters per line for a box `boxWidth` pixels wide: |boxWidth| divided
// by the average character width; 0 when that is not positive.
int WrapWidth(int boxWidth, int aveCharWidth);

// Inserts CR LF so that no line holds more than `w` GBK units. A double-byte
// character is never split: the break goes before it. The user's own CR LF
// resets the count, and its LF counts as the first unit of the next line.
// Every line keeps at least one character, so w = 0 puts each character on
// a line of its own instead of looping.
QString WrapCanvasText(const QString& text, int w);

} // namespace wheel
