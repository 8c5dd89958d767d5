#pragma once
// Each LED's footprint on the 312 x 312 working picture: the part of the
// wheel it sweeps while its column is shown, kLedSpacing across around its
// radius and the column's angular width (360 / 164 degrees) around the
// column's angle. The footprints tile the ring of the LEDs without gaps or
// overlaps; a pixel belongs to the footprint that holds its centre, except
// that the pixel the frame samples for an LED always belongs to that LED, so
// that a picture painted footprint by footprint converts back into exactly
// the pattern it was painted from.
//
// The LEDs as a grid: 24 rows (LED 0, the outermost, first) by 164 columns
// in the frame's entry order, so that a row is one ring of the wheel and its
// last column neighbours its first.

#include "picture/WheelFrame.h"

#include <opencv2/core.hpp>

#include <cstdint>
#include <vector>

namespace wheel {

// The LED a pixel of the working picture shows, as entry * kLeds + led, or
// -1 for a pixel outside every footprint; row by row, kWorkSize * kWorkSize.
const std::vector<std::int16_t>& FootprintOwners();

// The mean value of each footprint of `square` (312 x 312, 8-bit, one
// channel): kLeds x kColumns, 32-bit float.
cv::Mat FootprintLevels(const cv::Mat& square);

// Whether any pixel of each footprint is non-zero in `mask` (312 x 312,
// 8-bit, one channel): kLeds x kColumns, 8-bit, 1 where one is.
cv::Mat FootprintHits(const cv::Mat& mask);

// The corners of LED `led` of column entry `entry` as a closed outline in
// the working picture's coordinates, `inset` pixels inside its footprint
// all round: the outer arc clockwise, then the inner arc back.
std::vector<cv::Point2d> FootprintOutline(int entry, int led, double inset);

} // namespace wheel
