#include "dialogs/Contrast.h"

#include <algorithm>
#include <cmath>

namespace wheel {

namespace {

double Linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) + 0.0722 * Linear(rgb.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& colour, const QColor& background, double ratio)
{
    if (ContrastRatio(colour, background) >= ratio)
        return colour;
    // Away from the background: darker on a light one, lighter on a dark one,
    // whichever end can reach the ratio at all.
    const bool darken = ContrastRatio(Qt::black, background) >= ContrastRatio(Qt::white, background);
    const QColor hsl = colour.toHsl();
    const double hue = std::max(0.0, double(hsl.hslHueF()));   // -1 for greys
    const double saturation = hsl.hslSaturationF();
    double lightness = hsl.lightnessF();
    for (int step = 0; step < 100; ++step) {
        lightness = darken ? std::max(0.0, lightness - 0.01) : std::min(1.0, lightness + 0.01);
        const QColor candidate = QColor::fromHslF(static_cast<float>(hue), static_cast<float>(saturation),
                                                  static_cast<float>(lightness));
        if (ContrastRatio(candidate, background) >= ratio)
            return candidate;
    }
    return darken ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace wheel
