#pragma once
// Polar sampling of the 312 x 312 working picture: the round preview and the
// WheelFrame that the wheel light shows.

#include "picture/WheelFrame.h"
#include "picture/WheelGeometry.h"

#include <opencv2/core.hpp>

namespace wheel {

inline constexpr int kLightAbove = 50;  // a sample is light when its value is > 50

// The point sampled at radius r and whole-degree angle (clockwise from up).
cv::Point SamplePoint(double radius, int degrees);

// Angle in degrees of the ray shown by column entry k.
constexpr int EntryAngle(int entry)
{
    return ColumnAngle(EntryOfColumn(entry));
}

// A white 312 x 312 BGR image with the red rim; what the preview starts as.
cv::Mat MakeBlankPreview();

// Fills `frame` from `work` (312 x 312, 8-bit, one channel).
void RenderFrame(const cv::Mat& work, WheelFrame& frame);

// The inverse: a 312 x 312 grey picture that RenderFrame turns into `frame`
// exactly, each LED's footprint (LedFootprints.h) painted 255 where the LED
// is light and 0 where it is dark, and 255 outside the LEDs' ring, so that
// the picture looks as the wheel shows it.
cv::Mat PictureOfFrame(const WheelFrame& frame);

// Draws the 360 x 48 preview dots of `work` onto `preview` and redraws the rim.
void RenderPreview(const cv::Mat& work, cv::Mat& preview);

// The same preview drawn at side x side pixels, for screens with more pixels
// than the 312 x 312 one shows (the dots and the rim smooth at any size). The
// 312 x 312 preview, the frame and what is exported stay RenderPreview's.
cv::Mat RenderPreviewAt(const cv::Mat& work, int side);
// The frame as the wheel's LEDs, for a rider who wants to see what 164 x 24
// LEDs can show: on a blank preview, each dark LED's footprint a filled arc
// segment in the colour of its group of eight (green outside, blue, red
// inside, as the preview's dots), the light ones left white.
cv::Mat RenderLedView(const WheelFrame& frame);

} // namespace wheel
