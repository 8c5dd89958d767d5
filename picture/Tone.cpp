#include "picture/Tone.h"

#include "picture/AdjustPicture.h"
#include "picture/Binarize.h"
#include "picture/LedFootprints.h"
#include "picture/WheelGeometry.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>

namespace wheel {

namespace {

WheelFrame AllLight()
{
    WheelFrame frame;
    frame.fill(0xFF);
    return frame;
}

int Wrap(int entry)
{
    return (entry + kColumns) % kColumns;
}

} // namespace

ToneSquare MakeToneSquare(const cv::Mat& gray, FitMode fit)
{
    CV_Assert(gray.type() == CV_8UC1 && !gray.empty());
    const FramePlan plan = PlanFrame(gray.size(), fit);
    // The picture's place in the square, from its place in the framed
    // picture; it never shrinks to nothing.
    const double sx = static_cast<double>(kWorkSize) / plan.canvas.width;
    const double sy = static_cast<double>(kWorkSize) / plan.canvas.height;
    const int x0 = std::min(kWorkSize - 1, static_cast<int>(std::lround(plan.at.x * sx)));
    const int y0 = std::min(kWorkSize - 1, static_cast<int>(std::lround(plan.at.y * sy)));
    const int x1 = std::max(x0 + 1, static_cast<int>(std::lround((plan.at.x + plan.source.width) * sx)));
    const int y1 = std::max(y0 + 1, static_cast<int>(std::lround((plan.at.y + plan.source.height) * sy)));

    ToneSquare square{cv::Mat(kWorkSize, kWorkSize, CV_8UC1, cv::Scalar(255)), cv::Rect(x0, y0, x1 - x0, y1 - y0)};
    cv::Mat inside = square.grey(square.content);
    // Averaging a large photo straight down costs tens of milliseconds; a
    // bilinear step to four times the size first reads only a few of its
    // pixels, and the average over those 16 samples a pixel is as good.
    cv::Mat source = gray(plan.source);
    const cv::Size between(std::min(source.cols, 4 * inside.cols), std::min(source.rows, 4 * inside.rows));
    if (between != source.size()) {
        cv::Mat reduced;
        cv::resize(source, reduced, between, 0, 0, cv::INTER_LINEAR);
        source = reduced;
    }
    cv::resize(source, inside, inside.size(), 0, 0, cv::INTER_AREA);
    return square;
}

WheelFrame DiffuseOnLeds(const cv::Mat& levels)
{
    CV_Assert(levels.type() == CV_32F && levels.rows == kLeds && levels.cols == kColumns);
    WheelFrame frame{};
    std::array<float, kColumns> here{};  // the error carried into this ring
    std::array<float, kColumns> next{};  // and into the next one
    for (int led = 0; led < kLeds; ++led) {
        const float* level = levels.ptr<float>(led);
        const int step = led % 2 == 0 ? 1 : -1;
        const int first = step > 0 ? 0 : kColumns - 1;
        for (int n = 0; n < kColumns; ++n) {
            const int entry = Wrap(first + step * n);
            const float value = level[entry] + here[static_cast<std::size_t>(entry)];
            const bool light = value > 127.5f;
            SetLedLight(frame, entry, led, light);
            const float error = value - (light ? 255.0f : 0.0f);
            // Ahead in the ring; the ring's last LED has its first one ahead,
            // decided already, so its share goes on to the next ring.
            if (n + 1 < kColumns)
                here[static_cast<std::size_t>(Wrap(entry + step))] += error * (7.0f / 16);
            else
                next[static_cast<std::size_t>(entry)] += error * (7.0f / 16);
            next[static_cast<std::size_t>(Wrap(entry - step))] += error * (3.0f / 16);
            next[static_cast<std::size_t>(entry)] += error * (5.0f / 16);
            next[static_cast<std::size_t>(Wrap(entry + step))] += error * (1.0f / 16);
        }
        here = next;
        next.fill(0.0f);
    }
    return frame;
}

WheelFrame OutlineOnLeds(const cv::Mat& square)
{
    CV_Assert(square.type() == CV_8UC1 && square.rows == kWorkSize && square.cols == kWorkSize);
    // Otsu's split of the picture says what dark and light are here; an edge
    // is where the grey changes by a good part of the step between the two.
    const int threshold = OtsuThreshold(square);
    const cv::Mat dark = square <= threshold;
    const int darkPixels = cv::countNonZero(dark);
    if (darkPixels == 0 || darkPixels == static_cast<int>(square.total()))
        return AllLight();
    const double step = cv::mean(square, ~dark)[0] - cv::mean(square, dark)[0];
    // Detail finer than the LEDs' spacing (4.5 pixels) cannot be drawn, and
    // its edges would only fill whole regions with lit LEDs: it is blurred
    // away first. Blurred so, a sharp step of `step` has a gradient of about
    // 1.6 step on Sobel's scale; an edge starts at half of that and goes on
    // while it keeps a quarter.
    cv::Mat smooth;
    cv::GaussianBlur(square, smooth, cv::Size(0, 0), 2.0);
    cv::Mat edges;
    cv::Canny(smooth, edges, 0.4 * step, 0.8 * step, 3, true);

    const cv::Mat hits = FootprintHits(edges);
    WheelFrame frame = AllLight();
    for (int led = 0; led < kLeds; ++led)
        for (int entry = 0; entry < kColumns; ++entry)
            if (hits.at<std::uint8_t>(led, entry))
                SetLedLight(frame, entry, led, false);
    return frame;
}

WheelFrame TonePattern(const ToneSquare& square, Tone tone, bool invert)
{
    WheelFrame frame =
        tone == Tone::Outline ? OutlineOnLeds(square.grey) : DiffuseOnLeds(FootprintLevels(square.grey));
    if (invert)
        for (std::uint8_t& byte : frame)
            byte = static_cast<std::uint8_t>(~byte);
    if (square.content != cv::Rect(0, 0, kWorkSize, kWorkSize)) {
        cv::Mat picture(kWorkSize, kWorkSize, CV_8UC1, cv::Scalar(0));
        picture(square.content).setTo(cv::Scalar(255));
        const cv::Mat holds = FootprintHits(picture);
        for (int led = 0; led < kLeds; ++led)
            for (int entry = 0; entry < kColumns; ++entry)
                if (!holds.at<std::uint8_t>(led, entry))
                    SetLedLight(frame, entry, led, true);
    }
    return frame;
}

} // namespace wheel
