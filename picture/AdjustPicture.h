#pragma once
// The adjustments applied to a decoded grey picture, in their order: a
// lossless rotation, the threshold (Otsu's over the whole rotated picture, or
// the user's), the framing into a square, the same bilinear scaling to the
// 312 x 312 working picture as without adjustments, and inversion where the
// wheel samples that picture. With the defaults the working picture is byte
// for byte the plain conversion's.

#include "picture/Binarize.h"
#include "picture/PictureAdjustments.h"
#include "picture/PictureFile.h"

#include <opencv2/core.hpp>

#include <cstdint>

namespace wheel {

// A padded square larger than this (8192 x 8192) is made from the grey
// picture reduced first, so that a long panorama cannot exhaust memory; the
// scaling to 312 x 312 reads only a few of those pixels anyway.
inline constexpr std::int64_t kMaxFramedPixels = std::int64_t(8192) * 8192;

// `src` turned clockwise by a transpose and/or a flip, never interpolated.
// A buffer already in `dst` is reused when it holds as many pixels of the
// same type; dst must not share src's pixels.
void RotatePicture(const cv::Mat& src, cv::Mat& dst, Rotation rotation);

// The turn that takes a picture turned by `from` to one turned by `to` (both
// valid rotations).
Rotation RotationBetween(Rotation from, Rotation to);

// Where framing puts a picture of `size`: the part of it that is used, the
// size of the framed picture, and where that part lands in it; the rest of the
// framed picture is margin.
struct FramePlan {
    cv::Rect source;
    cv::Size canvas;
    cv::Point at;
};
FramePlan PlanFrame(cv::Size size, FitMode fit);

// The 312 x 312 working picture of a grey picture that is already rotated:
// bytes at or below `threshold` become 0 and the others 255, the result is
// framed (fit margins are 255, or 0 when inverted, so that they stay unlit)
// and scaled bilinearly; with `invert`, the working picture is then made light
// exactly where the wheel would have sampled it dark.
// `binary` receives the full-resolution binarised, framed picture; a buffer
// kept there between calls is reused. Without it (nullptr) `gray` itself is
// binarised where the framing allows, for callers that are done with it.
cv::Mat MakeAdjustedWork(cv::Mat& gray, int threshold, FitMode fit, bool invert, cv::Mat* binary);

// The colour copy rotated and framed as the wheel uses the picture; margins
// white, or black when inverted, like the grey picture's. With the defaults it
// is `colour` itself.
cv::Mat FrameColour(const cv::Mat& colour, const PictureAdjustments& adjustments);

// The working picture of a tone other than the threshold: the LED pattern
// of `gray` (already rotated) painted footprint by footprint.
cv::Mat MakeToneWork(const cv::Mat& gray, const PictureAdjustments& adjustments);

// Completes a freshly decoded picture: rotates `gray`, finds Otsu's threshold
// (picture.threshold), makes picture.work and records the adjustments; with
// `keepGray` the rotated grey picture stays in picture.gray, otherwise it is
// binarised in place (for the threshold tone) and released. `counts`, when
// given, are the grey picture's (GreyCounter counts them during the decode).
void AdjustDecodedPicture(cv::Mat gray, const PictureAdjustments& adjustments, bool keepGray,
                          LoadedPicture& picture, const GreyCounts* counts = nullptr);

} // namespace wheel
