#include "picture/AdjustPicture.h"

#include "picture/Binarize.h"
#include "picture/RenderWheel.h"
#include "picture/Tone.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace wheel {

namespace {

// Turns `buffer` into a `size` picture of `type`, keeping its memory when it
// holds exactly as many bytes (a turned picture has the same count).
void Reuse(cv::Mat& buffer, cv::Size size, int type)
{
    if (!buffer.empty() && buffer.type() == type && buffer.isContinuous()
        && buffer.total() == static_cast<std::size_t>(size.area()))
        buffer = buffer.reshape(0, size.height);
    else
        buffer.create(size, type);
}

void PaintMargins(cv::Mat& canvas, cv::Rect inner, int value)
{
    const cv::Rect strips[] = {
        {0, 0, canvas.cols, inner.y},
        {0, inner.br().y, canvas.cols, canvas.rows - inner.br().y},
        {0, inner.y, inner.x, inner.height},
        {inner.br().x, inner.y, canvas.cols - inner.br().x, inner.height},
    };
    for (const cv::Rect& strip : strips)
        if (!strip.empty())
            canvas(strip).setTo(cv::Scalar::all(value));
}

int UnlitValue(bool invert)
{
    return invert ? 0 : 255;
}

// The pixels of the square that padding makes of a picture of `size`.
double PaddedPixels(cv::Size size)
{
    const double side = std::max(size.width, size.height);
    return side * side;
}

// `picture` reduced so that its padded square holds at most `maxPixels`.
cv::Mat ReduceForFrame(const cv::Mat& picture, double maxPixels)
{
    const double scale = std::sqrt(maxPixels) / std::max(picture.cols, picture.rows);
    const cv::Size size(std::max(1, static_cast<int>(picture.cols * scale)),
                        std::max(1, static_cast<int>(picture.rows * scale)));
    cv::Mat reduced;
    cv::resize(picture, reduced, size, 0, 0, cv::INTER_AREA);
    return reduced;
}

} // namespace

void RotatePicture(const cv::Mat& src, cv::Mat& dst, Rotation rotation)
{
    switch (rotation) {
    case Rotation::Deg90:
        Reuse(dst, {src.rows, src.cols}, src.type());
        cv::rotate(src, dst, cv::ROTATE_90_CLOCKWISE);
        return;
    case Rotation::Deg180:
        Reuse(dst, src.size(), src.type());
        cv::rotate(src, dst, cv::ROTATE_180);
        return;
    case Rotation::Deg270:
        Reuse(dst, {src.rows, src.cols}, src.type());
        cv::rotate(src, dst, cv::ROTATE_90_COUNTERCLOCKWISE);
        return;
    case Rotation::Deg0:
        break;
    }
    Reuse(dst, src.size(), src.type());
    src.copyTo(dst);
}

Rotation RotationBetween(Rotation from, Rotation to)
{
    return *RotationFromDegrees((Degrees(to) - Degrees(from) + 360) % 360);
}

FramePlan PlanFrame(cv::Size size, FitMode fit)
{
    const bool wide = size.width > size.height;
    const int longSide = std::max(size.width, size.height);
    const int shortSide = std::min(size.width, size.height);
    const int before = (longSide - shortSide) / 2;
    switch (fit) {
    case FitMode::Fit:
        return {{0, 0, size.width, size.height}, {longSide, longSide}, wide ? cv::Point(0, before) : cv::Point(before, 0)};
    case FitMode::Crop:
        return {wide ? cv::Rect(before, 0, shortSide, shortSide) : cv::Rect(0, before, shortSide, shortSide),
                {shortSide, shortSide},
                {0, 0}};
    case FitMode::Stretch:
        break;
    }
    return {{0, 0, size.width, size.height}, size, {0, 0}};
}

cv::Mat MakeAdjustedWork(cv::Mat& gray, int threshold, FitMode fit, bool invert, cv::Mat* binary)
{
    CV_Assert(gray.type() == CV_8UC1 && !gray.empty());
    const FramePlan plan = PlanFrame(gray.size(), fit);
    if (fit == FitMode::Fit && PaddedPixels(gray.size()) > static_cast<double>(kMaxFramedPixels)) {
        cv::Mat reduced = ReduceForFrame(gray, static_cast<double>(kMaxFramedPixels));
        return MakeAdjustedWork(reduced, threshold, fit, invert, binary);
    }

    cv::Mat framed;
    if (!binary && fit != FitMode::Fit) {
        framed = gray(plan.source);
        BinarizeAt(framed, framed, threshold);
    } else {
        cv::Mat local;
        cv::Mat& buffer = binary ? *binary : local;
        Reuse(buffer, plan.canvas, CV_8UC1);
        framed = buffer;
        const cv::Rect inner(plan.at, plan.source.size());
        cv::Mat picture = framed(inner);
        BinarizeAt(gray(plan.source), picture, threshold);
        PaintMargins(framed, inner, UnlitValue(invert));
    }

    cv::Mat work(kWorkSize, kWorkSize, CV_8UC1);
    cv::resize(framed, work, work.size(), 0, 0, cv::INTER_LINEAR);
    if (invert)  // light exactly where a sample would have been dark (<= 50)
        cv::threshold(work, work, kLightAbove, 255, cv::THRESH_BINARY_INV);
    return work;
}

cv::Mat FrameColour(const cv::Mat& colour, const PictureAdjustments& adjustments)
{
    if (colour.empty())
        return colour;
    cv::Mat turned = colour;
    if (adjustments.rotate != Rotation::Deg0) {
        turned = cv::Mat();
        RotatePicture(colour, turned, adjustments.rotate);
    }
    switch (adjustments.fit) {
    case FitMode::Crop:
        return turned(PlanFrame(turned.size(), FitMode::Crop).source);
    case FitMode::Fit: {
        // Only shown, in a box of a few hundred pixels: a long panorama is
        // reduced before its square is made.
        constexpr double kMaxShownPixels = 2048.0 * 2048.0;
        const cv::Mat picture =
            PaddedPixels(turned.size()) > kMaxShownPixels ? ReduceForFrame(turned, kMaxShownPixels) : turned;
        const FramePlan plan = PlanFrame(picture.size(), FitMode::Fit);
        cv::Mat framed(plan.canvas, picture.type(), cv::Scalar::all(UnlitValue(adjustments.invert)));
        picture.copyTo(framed(cv::Rect(plan.at, picture.size())));
        return framed;
    }
    case FitMode::Stretch:
        break;
    }
    return turned;
}

cv::Mat MakeToneWork(const cv::Mat& gray, const PictureAdjustments& adjustments)
{
    return PictureOfFrame(TonePattern(MakeToneSquare(gray, adjustments.fit), adjustments.tone, adjustments.invert));
}

void AdjustDecodedPicture(cv::Mat gray, const PictureAdjustments& adjustments, bool keepGray,
                          LoadedPicture& picture, const GreyCounts* counts)
{
    if (adjustments.rotate != Rotation::Deg0) {
        cv::Mat turned;
        RotatePicture(gray, turned, adjustments.rotate);
        gray = turned;  // the unturned picture goes now, before the threshold's buffers
    }
    picture.threshold = counts ? OtsuThreshold(*counts) : OtsuThreshold(gray);
    const int threshold = adjustments.threshold.value_or(picture.threshold);
    if (adjustments.tone != Tone::Threshold) {
        picture.work = MakeToneWork(gray, adjustments);
        if (keepGray)
            picture.gray = gray;
    } else if (keepGray) {
        cv::Mat binary;
        picture.work = MakeAdjustedWork(gray, threshold, adjustments.fit, adjustments.invert, &binary);
        picture.gray = gray;
    } else {
        picture.work = MakeAdjustedWork(gray, threshold, adjustments.fit, adjustments.invert, nullptr);
    }
    picture.adjustments = adjustments;
}

} // namespace wheel
