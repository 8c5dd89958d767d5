#include "picture/RenderWheel.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

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

int EntryAngle(int entry)
{
    return (360 * (kColumns - 1 - entry)) / kColumns;
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
        const int degrees = (360 * c) / kColumns;
        std::uint8_t groups[3] = {0, 0, 0};
        for (int j = 0; j < kLeds; ++j) {
            const cv::Point p = SamplePoint(155.0 - 4.5 * j, degrees);
            if (IsLight(work, p))
                groups[j / 8] |= static_cast<std::uint8_t>(1u << (j % 8));
        }
        const int k = kColumns - 1 - c;
        frame[3 * k + 0] = groups[0];
        frame[3 * k + 1] = groups[1];
        frame[3 * k + 2] = groups[2];
    }
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
