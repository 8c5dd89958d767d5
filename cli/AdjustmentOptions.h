#pragma once
// --rotate, --fit, --threshold and --invert: the picture adjustments of the
// commands that convert a picture.

#include "picture/PictureAdjustments.h"

#include <string>
#include <vector>

namespace wheelctl {

// Takes the adjustment options out of args. A missing or bad value leaves a
// one-line usage message naming the option in `error` and returns false.
// `given` tells whether any of them was there.
bool TakeAdjustments(std::vector<std::string>& args, wheel::PictureAdjustments& adjustments, std::string& error,
                     bool* given = nullptr);

inline constexpr const char* kAdjustmentSynopsis =
    "[--rotate 0|90|180|270] [--fit stretch|fit|crop] [--threshold auto|N] [--invert]";

} // namespace wheelctl
