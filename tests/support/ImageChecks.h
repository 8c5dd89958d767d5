#pragma once
// Pixel counts that tell whether something was drawn into a picture.

#include <QImage>
#include <QRect>

namespace wheeltest {

// Pixels inside `area` that are dark in all three channels (drawn text).
inline int DarkPixels(const QImage& image, const QRect& area)
{
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += qRed(p) < 96 && qGreen(p) < 96 && qBlue(p) < 96;
        }
    return n;
}

} // namespace wheeltest
