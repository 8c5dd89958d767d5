#pragma once
// Menus of an English editor in a face whose "…" sits on the baseline. The
// CJK faces the editor's Chinese needs centre it, as Chinese writes it, which
// reads as "⋯" after English words.

#include <QFont>

namespace wheel {

// Whether the font draws "…" on the baseline (its lowest ink near the
// baseline, not near the middle of the line).
bool EllipsisOnBaseline(const QFont& font);

// The faces for English menus: a Latin face with a baseline "…" (the
// desktop's own when it has one), then the CJK face for the Chinese a menu
// may still hold (a file name). Only the faces are set: the size follows the
// menus' font.
QFont LatinMenuFont();

// Gives every menu made from now on (the menu bar's, context menus) the
// faces of LatinMenuFont, or, with false, leaves them the application's.
void UseLatinMenuFont(bool use);

} // namespace wheel
