#pragma once
// Chinese text on systems without the Windows faces: the UI font and the
// faces "黑体" (the DIY canvas's text) and "宋体" (the dialog templates') are
// mapped to an installed CJK sans face.

#include <QFont>
#include <QString>

namespace wheel {

// The installed CJK sans family the program uses, or an empty string when
// none is installed. Needs a QGuiApplication.
QString CjkSansFamily();

// Adds the family substitutions for "黑体", "宋体" and their Latin names
// where those faces are absent. Safe to call more than once. Returns the
// family used, empty when no CJK face is installed.
QString InstallCjkFontSubstitutions();

// The substitutions, and the application font: the CJK family at the size
// of the dialog templates' font (宋体 9 pt, 12 pixels).
void InstallApplicationFont();

// The editor's default font, which its window templates are measured in: the
// one InstallApplicationFont installed, or the application font when it has
// not run. A desktop theme may replace the application font afterwards; this
// one stays.
QFont DefaultUiFont();

} // namespace wheel
