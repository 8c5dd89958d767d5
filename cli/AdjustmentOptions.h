#pragma once
// --rotate, --tone, --fit, --threshold and --invert: the picture adjustments
// of the commands that convert a picture.

#include "cli/Options.h"
#include "picture/PictureAdjustments.h"

#include <string>

namespace wheelctl {

// The adjustments' entries of a command's option table.
OptionTable AdjustmentOptions(bool perPicture = false);

// Applies the adjustment options given. A bad value leaves a one-line usage
// message naming the option in `error` and returns false. `given` tells
// whether any of them was there.
bool ApplyAdjustments(const OptionValues& options, wheel::PictureAdjustments& adjustments, std::string& error,
                      bool* given = nullptr);

inline constexpr const char* kAdjustmentSynopsis =
    "[--rotate 0|90|180|270] [--fit stretch|fit|crop]\n"
    "        [--tone threshold|dither|outline] [--threshold auto|N] [--invert]";

} // namespace wheelctl
