#include "picture/PictureAdjustments.h"

#include <algorithm>
#include <initializer_list>

namespace wheel {

namespace {

// The value of `values` whose name is `text`.
template <typename Enum, typename NameOf>
std::optional<Enum> ByName(std::string_view text, std::initializer_list<Enum> values, NameOf name)
{
    for (Enum value : values)
        if (text == name(value))
            return value;
    return std::nullopt;
}

} // namespace

bool PictureAdjustments::IsValid() const
{
    return RotationFromDegrees(Degrees(rotate)).has_value()
        && (fit == FitMode::Stretch || fit == FitMode::Fit || fit == FitMode::Crop)
        && (tone == Tone::Threshold || tone == Tone::Dither || tone == Tone::Outline)
        && (!threshold || IsManualThreshold(*threshold));
}

int Degrees(Rotation rotation)
{
    return static_cast<int>(rotation);
}

std::optional<Rotation> RotationFromDegrees(int degrees)
{
    switch (degrees) {
    case 0: return Rotation::Deg0;
    case 90: return Rotation::Deg90;
    case 180: return Rotation::Deg180;
    case 270: return Rotation::Deg270;
    }
    return std::nullopt;
}

std::optional<Rotation> ParseRotation(std::string_view text)
{
    const std::optional<int> degrees = ParseWholeNumber(text, 999);
    return degrees ? RotationFromDegrees(*degrees) : std::nullopt;
}

std::optional<FitMode> ParseFit(std::string_view text)
{
    return ByName(text, {FitMode::Stretch, FitMode::Fit, FitMode::Crop}, FitName);
}

std::string_view FitName(FitMode fit)
{
    switch (fit) {
    case FitMode::Stretch: return "stretch";
    case FitMode::Fit: return "fit";
    case FitMode::Crop: return "crop";
    }
    return "";
}

std::optional<Tone> ParseTone(std::string_view text)
{
    return ByName(text, {Tone::Threshold, Tone::Dither, Tone::Outline}, ToneName);
}

std::string_view ToneName(Tone tone)
{
    switch (tone) {
    case Tone::Threshold: return "threshold";
    case Tone::Dither: return "dither";
    case Tone::Outline: return "outline";
    }
    return "";
}

bool ParseThreshold(std::string_view text, std::optional<int>& threshold)
{
    if (text == "auto") {
        threshold.reset();
        return true;
    }
    const std::optional<int> value = ParseWholeNumber(text, 999);
    if (!value || !IsManualThreshold(*value))
        return false;
    threshold = value;
    return true;
}

bool IsManualThreshold(int value)
{
    return value >= 0 && value <= kMaxManualThreshold;
}

std::string FormatThreshold(const std::optional<int>& threshold)
{
    return threshold ? std::to_string(*threshold) : std::string("auto");
}

std::optional<int> ParseWholeNumber(std::string_view text, int max)
{
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = std::min<long long>(value * 10 + (c - '0'), static_cast<long long>(max) + 1);
    }
    if (value > max)
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace wheel
