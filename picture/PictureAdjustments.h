#pragma once
// What a user may change about how a picture becomes the wheel's two tones:
// a lossless rotation, the tone (a threshold, dithering or outlines), the
// threshold, inversion and how a picture that is not square is framed. Every default leaves the picture exactly as the plain
// conversion makes it. The texts the parse and format helpers take and give
// are the ones wheelctl's options and picture set files use.

#include <optional>
#include <string>
#include <string_view>

namespace wheel {

// Clockwise turns, in degrees.
enum class Rotation { Deg0 = 0, Deg90 = 90, Deg180 = 180, Deg270 = 270 };

enum class FitMode {
    Stretch,  // the whole picture, squashed into the square
    Fit,      // the whole picture, its shorter side padded with unlit margins
    Crop,     // the centred square of the picture
};

// How grey becomes the wheel's two tones.
enum class Tone {
    Threshold,  // light above the threshold, dark at or below it
    Dither,     // error diffusion on the wheel's LEDs: grey as a share of lit LEDs
    Outline,    // the edges between dark and light regions as lines of lit LEDs
};

inline constexpr int kMaxManualThreshold = 254;

struct PictureAdjustments {
    Rotation rotate = Rotation::Deg0;
    // Empty: Otsu's threshold of the picture. Otherwise 0 to 254; either way a
    // grey value at or below the threshold becomes dark. Only the threshold
    // tone uses it; the other tones keep it for when it comes back.
    std::optional<int> threshold;
    // Light and dark swap where the wheel samples the picture, so every LED
    // that would be lit is unlit and the other way round.
    bool invert = false;
    FitMode fit = FitMode::Stretch;
    Tone tone = Tone::Threshold;

    bool operator==(const PictureAdjustments&) const = default;
    bool IsDefault() const { return *this == PictureAdjustments{}; }
    // Every field within its range (a manual threshold of 0 to 254, a known
    // rotation, framing and tone).
    bool IsValid() const;
};

int Degrees(Rotation rotation);
std::optional<Rotation> RotationFromDegrees(int degrees);
// "0", "90", "180" or "270".
std::optional<Rotation> ParseRotation(std::string_view text);

// "stretch", "fit" or "crop".
std::optional<FitMode> ParseFit(std::string_view text);
std::string_view FitName(FitMode fit);

// "threshold", "dither" or "outline".
std::optional<Tone> ParseTone(std::string_view text);
std::string_view ToneName(Tone tone);

// "auto" gives an empty threshold, "0" to "254" a manual one; false for
// anything else, leaving `threshold` as it was.
bool ParseThreshold(std::string_view text, std::optional<int>& threshold);
bool IsManualThreshold(int value);
// "auto" or the number.
std::string FormatThreshold(const std::optional<int>& threshold);

// A plain decimal number from 0 to `max`, judged by its value ("0090" is 90);
// no sign, no spaces. Empty for anything else.
std::optional<int> ParseWholeNumber(std::string_view text, int max);

} // namespace wheel
