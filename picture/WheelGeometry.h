#pragma once
// The wheel's geometry, named once: a bar of 24 LEDs along one radius that
// shows 164 columns per turn, laid over the 312 x 312 working picture.

namespace wheel {

inline constexpr int kColumns = 164;  // columns per turn
inline constexpr int kLeds = 24;      // LEDs along the radius, 0 outermost

// The working picture is kWorkSize pixels square; the wheel's centre is the
// pixel (kCentre, kCentre), column and row.
inline constexpr int kWorkSize = 312;
inline constexpr int kCentre = 156;

// LED j sits at radius kOuterRadius - kLedSpacing * j: 155 for LED 0 down to
// 51.5 for LED 23.
inline constexpr double kOuterRadius = 155.0;
inline constexpr double kLedSpacing = 4.5;

constexpr double LedRadius(int led)
{
    return kOuterRadius - kLedSpacing * led;
}

// Column c is the ray at (360 * c) / 164 whole degrees, clockwise from up;
// the frame stores it as entry 163 - c, so entries run counter-clockwise.
constexpr int ColumnAngle(int column)
{
    return (360 * column) / kColumns;
}

constexpr int EntryOfColumn(int column)
{
    return kColumns - 1 - column;
}

} // namespace wheel
