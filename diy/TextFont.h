#pragma once
// The process-wide text font of the DIY canvas. The DIY dialog's "字体设置"
// replaces it; it outlives the dialog, so a later drawing starts in the font
// chosen last. Used on the GUI thread only.

#include <QFont>

#include <optional>

namespace wheel {

// The font the canvas draws its text with; none until the user chose one.
extern std::optional<QFont> g_TextFont;
// What the font dialog starts from and writes the choice back into: size,
// style and effects of the last choice (the face name comes from the dialog).
extern QFont g_TextLogFont;

// "黑体" at 110 points, the canvas's measuring font. Where the face is not
// installed it is substituted by an installed CJK sans.
QFont HeiTiFont();

} // namespace wheel
