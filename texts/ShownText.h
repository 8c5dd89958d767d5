#pragma once
// Every text the program shows outside its .ui templates (log lines, message
// box texts and captions, menu entries, file dialog captions and filters) is
// made in plain C++ in Chinese and passes through TranslateShown at the edge
// of the window, which looks it up in the installed translation.

#include <QString>

#include <vector>

namespace wheel {

// The translation context of the shown texts.
inline constexpr const char* kShownTextContext = "ShownText";

// The text in the installed language. Texts made of a known pattern and a
// variable part ("发送失败，错误代码：31", a file name and a reason) are
// translated by their pattern, the variable parts by themselves. A text with
// no translation comes back unchanged, so without a translator this is the
// identity.
QString TranslateShown(const QString& text);

// A text of the sources (UTF-8, made in Chinese) in the installed language:
// what labels, menu entries and log lines show. Message boxes and the file
// dialogs translate their texts and captions themselves: give them the text
// as made.
QString Shown(const char* utf8);
// A pattern with its %1 filled in, in the installed language.
QString Shown(const char* pattern, const QString& value);

// The text in English whatever language is installed, translated as
// TranslateShown does: wheelctl's own messages are English.
QString EnglishShown(const QString& text);

// The catalogue of shown texts, for the translation tools and the test that
// every Chinese text of the sources has an English translation. Patterns hold
// %1, %2 ... where the variable parts go.
struct ShownTextCatalogue {
    std::vector<const char*> texts;
    std::vector<const char*> patterns;
};
const ShownTextCatalogue& ShownTexts();

} // namespace wheel
