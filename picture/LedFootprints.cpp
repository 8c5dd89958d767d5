#include "picture/LedFootprints.h"

#include "picture/RenderWheel.h"

#include <cmath>
#include <numbers>

namespace wheel {

namespace {

constexpr double kDegreesPerColumn = 360.0 / kColumns;

struct Footprints {
    std::vector<std::int16_t> owners;  // per pixel
    std::vector<int> sizes;            // pixels per LED
};

int LedIndex(int entry, int led)
{
    return entry * kLeds + led;
}

// The footprint holding the point (x, y) of the working picture, with the
// wheel's centre at (kCentre, kCentre); -1 outside the LEDs' ring.
int FootprintAt(double x, double y)
{
    const double dx = x - kCentre;
    const double dy = kCentre - y;
    const double radius = std::hypot(dx, dy);
    const int led = static_cast<int>(std::floor((kOuterRadius + kLedSpacing / 2 - radius) / kLedSpacing));
    if (led < 0 || led >= kLeds)
        return -1;
    double degrees = std::atan2(dx, dy) * 180.0 / std::numbers::pi;
    if (degrees < 0)
        degrees += 360.0;
    const int column = static_cast<int>(std::floor(degrees / kDegreesPerColumn + 0.5)) % kColumns;
    return LedIndex(EntryOfColumn(column), led);
}

Footprints MakeFootprints()
{
    Footprints f;
    f.owners.resize(static_cast<std::size_t>(kWorkSize) * kWorkSize);
    for (int y = 0; y < kWorkSize; ++y)
        for (int x = 0; x < kWorkSize; ++x)  // a pixel stands for its centre
            f.owners[static_cast<std::size_t>(y * kWorkSize + x)] =
                static_cast<std::int16_t>(FootprintAt(x + 0.5, y + 0.5));
    // The sampled pixels, whatever their centres say; no two LEDs share one.
    for (int column = 0; column < kColumns; ++column)
        for (int led = 0; led < kLeds; ++led) {
            const cv::Point p = SamplePoint(LedRadius(led), ColumnAngle(column));
            f.owners[static_cast<std::size_t>(p.y * kWorkSize + p.x)] =
                static_cast<std::int16_t>(LedIndex(EntryOfColumn(column), led));
        }
    f.sizes.assign(kColumns * kLeds, 0);
    for (std::int16_t owner : f.owners)
        if (owner >= 0)
            ++f.sizes[static_cast<std::size_t>(owner)];
    return f;
}

const Footprints& TheFootprints()
{
    static const Footprints footprints = MakeFootprints();
    return footprints;
}

void CheckSquare(const cv::Mat& square)
{
    CV_Assert(square.type() == CV_8UC1 && square.rows == kWorkSize && square.cols == kWorkSize);
}

} // namespace

const std::vector<std::int16_t>& FootprintOwners()
{
    return TheFootprints().owners;
}

cv::Mat FootprintLevels(const cv::Mat& square)
{
    CheckSquare(square);
    const Footprints& f = TheFootprints();
    std::vector<std::uint32_t> sums(f.sizes.size(), 0);
    const std::int16_t* owner = f.owners.data();
    for (int y = 0; y < kWorkSize; ++y) {
        const std::uint8_t* row = square.ptr<std::uint8_t>(y);
        for (int x = 0; x < kWorkSize; ++x, ++owner)
            if (*owner >= 0)
                sums[static_cast<std::size_t>(*owner)] += row[x];
    }
    cv::Mat levels(kLeds, kColumns, CV_32F);
    for (int entry = 0; entry < kColumns; ++entry)
        for (int led = 0; led < kLeds; ++led) {
            const auto i = static_cast<std::size_t>(LedIndex(entry, led));
            levels.at<float>(led, entry) = static_cast<float>(sums[i]) / static_cast<float>(f.sizes[i]);
        }
    return levels;
}

cv::Mat FootprintHits(const cv::Mat& mask)
{
    CheckSquare(mask);
    cv::Mat hits(kLeds, kColumns, CV_8U, cv::Scalar(0));
    const std::int16_t* owner = FootprintOwners().data();
    for (int y = 0; y < kWorkSize; ++y) {
        const std::uint8_t* row = mask.ptr<std::uint8_t>(y);
        for (int x = 0; x < kWorkSize; ++x, ++owner)
            if (*owner >= 0 && row[x] != 0)
                hits.at<std::uint8_t>(*owner % kLeds, *owner / kLeds) = 1;
    }
    return hits;
}

std::vector<cv::Point2d> FootprintOutline(int entry, int led, double inset)
{
    constexpr int kSteps = 4;  // straight pieces per arc
    const double middle = EntryOfColumn(entry) * kDegreesPerColumn;
    std::vector<cv::Point2d> outline;
    outline.reserve(2 * (kSteps + 1));
    for (const double radius : {LedRadius(led) + kLedSpacing / 2 - inset, LedRadius(led) - kLedSpacing / 2 + inset}) {
        const double half = kDegreesPerColumn / 2 - inset / radius * 180.0 / std::numbers::pi;
        const bool outer = outline.empty();
        for (int i = 0; i <= kSteps; ++i) {
            const double degrees = middle + half * (outer ? 2.0 * i / kSteps - 1 : 1 - 2.0 * i / kSteps);
            const double theta = degrees * std::numbers::pi / 180.0;
            // A pixel's centre is at whole coordinates here, half a pixel
            // before the point it stands for above.
            outline.emplace_back(kCentre + radius * std::sin(theta) - 0.5, kCentre - radius * std::cos(theta) - 0.5);
        }
    }
    return outline;
}

} // namespace wheel
