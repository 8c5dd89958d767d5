#include "cli/AdjustmentOptions.h"

namespace wheelctl {

OptionTable AdjustmentOptions(bool perPicture)
{
    OptionTable table = {
        {"--rotate", "0|90|180|270", "turn the picture clockwise (default 0)", Value::Words, "0 90 180 270"},
        {"--fit", "stretch|fit|crop",
         "make the picture square: stretch it (default),\npad its shorter side with unlit margins, or\n"
         "take its centred square",
         Value::Words, "stretch fit crop"},
        {"--tone", "TONE",
         "threshold (the default): light or dark by the\nthreshold; dither: grey as more or fewer lit\n"
         "LEDs; outline: the edges between dark and\nlight as lines of lit LEDs",
         Value::Words, "threshold dither outline"},
        {"--threshold", "auto|N",
         "grey values up to N (0 to 254) become dark;\nauto, the default, is Otsu's threshold", Value::Words, "auto"},
        {"--invert", "", "light the LEDs where the picture is light\ninstead of where it is dark"},
    };
    for (Option& option : table)
        option.perPicture = perPicture;
    return table;
}

bool ApplyAdjustments(const OptionValues& options, wheel::PictureAdjustments& adjustments, std::string& error,
                      bool* given)
{
    if (given)
        *given = options.Has("--rotate") || options.Has("--fit") || options.Has("--threshold")
            || options.Has("--invert") || options.Has("--tone");
    if (const auto value = options.Find("--rotate")) {
        const auto rotation = wheel::ParseRotation(*value);
        if (!rotation) {
            error = "--rotate takes 0, 90, 180 or 270 (degrees clockwise)";
            return false;
        }
        adjustments.rotate = *rotation;
    }
    if (const auto value = options.Find("--fit")) {
        const auto fit = wheel::ParseFit(*value);
        if (!fit) {
            error = "--fit takes stretch, fit or crop";
            return false;
        }
        adjustments.fit = *fit;
    }
    if (const auto value = options.Find("--threshold")) {
        if (!wheel::ParseThreshold(*value, adjustments.threshold)) {
            error = "--threshold takes auto or a whole number from 0 to 254";
            return false;
        }
    }
    if (const auto value = options.Find("--tone")) {
        const auto tone = wheel::ParseTone(*value);
        if (!tone) {
            error = "--tone takes threshold, dither or outline";
            return false;
        }
        adjustments.tone = *tone;
    }
    if (adjustments.tone != wheel::Tone::Threshold && adjustments.threshold) {
        error = "--threshold N applies only to --tone threshold";
        return false;
    }
    adjustments.invert = adjustments.invert || options.Has("--invert");
    return true;
}

} // namespace wheelctl
