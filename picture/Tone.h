#pragma once
// The tones other than the threshold work on the wheel's own LEDs: the grey
// picture, framed and scaled to the 312 x 312 square, is read through each
// LED's footprint, and the tone decides each LED from that. The frame is then
// the LED pattern, bit for bit, and the working picture is the square with
// every footprint painted light or dark, so that the preview drawn from it
// shows what the wheel will show.

#include "picture/PictureAdjustments.h"
#include "picture/WheelFrame.h"

#include <opencv2/core.hpp>

namespace wheel {

// The grey picture framed as `fit` says and scaled to the working square,
// each pixel the mean of the picture's pixels under it; fit margins are 255.
// `content` is where the picture lies in the square (all of it, without
// margins).
struct ToneSquare {
    cv::Mat grey;
    cv::Rect content;
};
ToneSquare MakeToneSquare(const cv::Mat& gray, FitMode fit);

// Error diffusion of grey levels (kLeds x kColumns, 32-bit float, 0 to 255;
// FootprintLevels gives them) on the LED grid: Floyd-Steinberg, serpentine,
// ring after ring from the outermost, each ring wrapping round from its last
// column to its first. A level of 255 gives a light LED, 0 a dark one.
WheelFrame DiffuseOnLeds(const cv::Mat& levels);

// Edges of the square's picture as lines of dark LEDs on a light ground: an
// LED is dark where an edge runs through its footprint.
WheelFrame OutlineOnLeds(const cv::Mat& square);

// The LED pattern of a tone other than the threshold, inverted when asked;
// an LED whose footprint holds none of the picture (a fit margin) stays
// light, unlit, either way.
WheelFrame TonePattern(const ToneSquare& square, Tone tone, bool invert);

} // namespace wheel
