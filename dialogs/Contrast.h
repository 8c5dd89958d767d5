#pragma once
// Colours that stay readable on light and dark palettes alike: the contrast
// ratio of two colours as the web's accessibility guidelines measure it, and
// a colour moved just far enough from its background to reach a ratio.

#include <QColor>

namespace wheel {

// The relative luminance of a colour, 0 (black) to 1 (white).
double RelativeLuminance(const QColor& colour);
// (lighter + 0.05) / (darker + 0.05): 1 for equal colours, 21 for black on
// white. 4.5 is what text needs, 3 what a frame or a large text needs.
double ContrastRatio(const QColor& a, const QColor& b);

// `colour` itself when it has `ratio` against `background`; otherwise the same
// hue made darker (on a light background) or lighter (on a dark one) until it
// has, black or white at the end.
QColor ReadableOn(const QColor& colour, const QColor& background, double ratio = 4.5);

} // namespace wheel
