#include "picture/RenderWheel.h"

#include "picture/LedFootprints.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace wheel {

namespace {

// 3.14159 / 180: the wheel's firmware and earlier pictures were made with this
// value, so rays at 90 and 270 degrees are deliberately not symmetric.
constexpr double kRadiansPerDegree = 0.01745327777777778;

const cv::Scalar kWhite(255, 255, 255);
const cv::Scalar kGreen(0, 255, 0);
const cv::Scalar kBlue(255, 0, 0);
const cv::Scalar kRed(0, 0, 255);

bool IsLight(const cv::Mat& work, cv::Point p)
{
    return work.at<std::uint8_t>(p.y, p.x) > kLightAbove;
}

void DrawRim(cv::Mat& preview)
{
    cv::circle(preview, cv::Point(kCentre, kCentre), kCentre, kRed, 1, cv::LINE_8, 0);
}

// The preview's 360 x 48 dots in drawing order: where each one goes on the
// 312 x 312 preview and its colour (white where the picture is light, else
// the colour of its group of eight LEDs, outer to inner).
template <typename Draw>
void ForEachPreviewDot(const cv::Mat& work, Draw draw)
{
    for (int d = 359; d >= 0; --d) {
        for (int i = 0; i < 48; ++i) {
            const cv::Point p = SamplePoint(155.0 - 2.2 * i, d);
            const cv::Scalar& colour = IsLight(work, p) ? kWhite
                                       : i <= 15       ? kGreen
                                       : i <= 31       ? kBlue
                                                       : kRed;
            draw(p, colour);
        }
    }
}

} // namespace

cv::Point SamplePoint(double radius, int degrees)
{
    const double theta = degrees * kRadiansPerDegree;
    const int x = static_cast<int>(kCentre + radius * std::sin(theta));
    const int y = static_cast<int>(kCentre - radius * std::cos(theta));
    return {x, y};
}

cv::Mat MakeBlankPreview()
{
    cv::Mat preview(kWorkSize, kWorkSize, CV_8UC3, kWhite);
    DrawRim(preview);
    return preview;
}

void RenderFrame(const cv::Mat& work, WheelFrame& frame)
{
    CV_Assert(work.type() == CV_8UC1 && work.rows == kWorkSize && work.cols == kWorkSize);
    for (int c = kColumns - 1; c >= 0; --c) {
        const int degrees = ColumnAngle(c);
        std::uint8_t groups[3] = {0, 0, 0};
        for (int j = 0; j < kLeds; ++j) {
            const cv::Point p = SamplePoint(LedRadius(j), degrees);
            if (IsLight(work, p))
                groups[j / 8] |= static_cast<std::uint8_t>(1u << (j % 8));
        }
        const int k = EntryOfColumn(c);
        frame[3 * k + 0] = groups[0];
        frame[3 * k + 1] = groups[1];
        frame[3 * k + 2] = groups[2];
    }
}

cv::Mat PictureOfFrame(const WheelFrame& frame)
{
    const std::vector<std::int16_t>& owners = FootprintOwners();
    cv::Mat picture(kWorkSize, kWorkSize, CV_8UC1);
    std::uint8_t* pixel = picture.ptr<std::uint8_t>();
    for (const std::int16_t owner : owners)
        *pixel++ = owner < 0 || LedIsLight(frame, owner / kLeds, owner % kLeds) ? 255 : 0;
    return picture;
}

cv::Mat RenderLedView(const WheelFrame& frame)
{
    constexpr int kShift = 4;          // corners to a sixteenth of a pixel
    constexpr double kGap = 0.45;      // white between neighbouring LEDs
    std::vector<std::vector<cv::Point>> groups[3];
    for (int entry = 0; entry < kColumns; ++entry)
        for (int led = 0; led < kLeds; ++led) {
            if (LedIsLight(frame, entry, led))
                continue;
            std::vector<cv::Point> corners;
            for (const cv::Point2d& p : FootprintOutline(entry, led, kGap))
                corners.emplace_back(cvRound(p.x * (1 << kShift)), cvRound(p.y * (1 << kShift)));
            groups[led / 8].push_back(std::move(corners));
        }
    cv::Mat view = MakeBlankPreview();
    const cv::Scalar colours[3] = {kGreen, kBlue, kRed};
    for (int g = 0; g < 3; ++g)
        if (!groups[g].empty())
            cv::fillPoly(view, groups[g], colours[g], cv::LINE_AA, kShift);
    DrawRim(view);
    return view;
}

void RenderPreview(const cv::Mat& work, cv::Mat& preview)
{
    CV_Assert(work.type() == CV_8UC1 && work.rows == kWorkSize && work.cols == kWorkSize);
    CV_Assert(preview.type() == CV_8UC3 && preview.rows == kWorkSize && preview.cols == kWorkSize);
    ForEachPreviewDot(work, [&preview](cv::Point p, const cv::Scalar& colour) {
        cv::circle(preview, p, 1, colour, cv::FILLED, cv::LINE_8, 0);
    });
    DrawRim(preview);
}

cv::Mat RenderPreviewAt(const cv::Mat& work, int side)
{
    CV_Assert(work.type() == CV_8UC1 && work.rows == kWorkSize && work.cols == kWorkSize && side > 0);
    cv::Mat preview(side, side, CV_8UC3, kWhite);
    // A pixel p of the 312 x 312 preview covers [p, p + 1) there; centres
    // and radii are scaled with sub-pixel precision (4 fraction bits).
    const double scale = static_cast<double>(side) / kWorkSize;
    constexpr int kShift = 4;
    constexpr double kOne = 1 << kShift;
    auto at = [&](double x) { return static_cast<int>(std::lround(((x + 0.5) * scale - 0.5) * kOne)); };
    const int dotRadius = static_cast<int>(std::lround(1.5 * scale * kOne));
    ForEachPreviewDot(work, [&](cv::Point p, const cv::Scalar& colour) {
        cv::circle(preview, cv::Point(at(p.x), at(p.y)), dotRadius, colour, cv::FILLED, cv::LINE_AA, kShift);
    });
    cv::circle(preview, cv::Point(at(kCentre), at(kCentre)), static_cast<int>(std::lround(kCentre * scale * kOne)), kRed,
               std::max(1, static_cast<int>(std::lround(scale))), cv::LINE_AA, kShift);
    return preview;
}

} // namespace wheel
