#include "cli/AdjustmentOptions.h"

#include "cli/Command.h"

#include <algorithm>

namespace wheelctl {
namespace {

// Takes "NAME VALUE" out of args and hands VALUE to `apply`; a missing value,
// or one that `apply` refuses, leaves `usage` in `error`.
template <typename Apply>
bool TakeValue(std::vector<std::string>& args, const char* name, const char* usage, std::string& error, bool& any,
               Apply apply)
{
    std::string value;
    bool missing = false;
    if (!TakeOption(args, name, value, missing) && !missing)
        return true;
    if (missing || !apply(value)) {
        error = usage;
        return false;
    }
    any = true;
    return true;
}

} // namespace

bool TakeAdjustments(std::vector<std::string>& args, wheel::PictureAdjustments& adjustments, std::string& error,
                     bool* given)
{
    bool any = false;
    const bool ok =
        TakeValue(args, "--rotate", "--rotate takes 0, 90, 180 or 270 (degrees clockwise)", error, any,
                  [&](const std::string& value) {
                      const auto rotation = wheel::ParseRotation(value);
                      adjustments.rotate = rotation.value_or(adjustments.rotate);
                      return rotation.has_value();
                  })
        && TakeValue(args, "--fit", "--fit takes stretch, fit or crop", error, any,
                     [&](const std::string& value) {
                         const auto fit = wheel::ParseFit(value);
                         adjustments.fit = fit.value_or(adjustments.fit);
                         return fit.has_value();
                     })
        && TakeValue(args, "--threshold", "--threshold takes auto or a whole number from 0 to 254", error, any,
                     [&](const std::string& value) { return wheel::ParseThreshold(value, adjustments.threshold); });
    if (!ok)
        return false;
    if (std::any_of(args.begin(), args.end(), [](const std::string& arg) { return arg.starts_with("--invert="); })) {
        error = "--invert takes no value";
        return false;
    }
    if (TakeFlag(args, "--invert")) {
        adjustments.invert = true;
        any = true;
    }
    if (given)
        *given = any;
    return true;
}

} // namespace wheelctl
