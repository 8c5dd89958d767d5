#include "diy/CanvasText.h"

#include <QStringEncoder>

#include <cstdlib>

namespace wheel {

std::vector<GbkChar> SplitGbk(QStringView text)
{
    std::vector<GbkChar> chars;
    chars.reserve(static_cast<std::size_t>(text.size()));
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    for (qsizetype i = 0; i < text.size();) {
        GbkChar c;
        c.pos = i;
        c.len = (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        if (text[i].unicode() < 0x80) {
            c.units = 1;
        } else {
            encoder.resetState();
            const QByteArray bytes = encoder.encode(text.mid(i, c.len));
            c.units = (encoder.hasError() || bytes.size() < 1 || bytes.size() > 2) ? 2 : int(bytes.size());
        }
        chars.push_back(c);
        i += c.len;
    }
    return chars;
}

int GbkUnits(QStringView text)
{
    int units = 0;
    for (const GbkChar& c : SplitGbk(text))
        units += c.units;
    return units;
}

int WrapWidth(int boxWidth, int aveCharWidth)
{
    if (aveCharWidth <= 0)
        return 0;
    const int w = std::abs(boxWidth) / aveCharWidth;
    return w > 0 ? w : 0;
}

QString WrapCanvasText(const QString& text, int w)
{
    if (text.isEmpty())
        return text;
    const std::vector<GbkChar> chars = SplitGbk(text);
    QString out;
    out.reserve(text.size() + text.size() / 2 + 2);
    int n = 0;                 // units on the current line
    std::size_t lineStart = 0; // first character of the current line
    for (std::size_t ci = 0; ci < chars.size(); ++ci) {
        const GbkChar& c = chars[ci];
        const QChar ch = text[c.pos];
        if (ch == u'\r' && ci + 1 < chars.size() && text[chars[ci + 1].pos] == u'\n') {
            out += ch;
            n = 0;
            lineStart = ci + 1;
            continue;
        }
        n += c.units;
        if (n > w && ci != lineStart) {
            out += QStringLiteral("\r\n");
            lineStart = ci;
            n = c.units;
        }
        out += QStringView(text).mid(c.pos, c.len);
    }
    return out;
}

} // namespace wheel
