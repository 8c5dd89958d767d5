#pragma once
// How the calibration angle is read from the angle field's text.

#include <optional>
#include <string>

namespace wheel {

// The dialog's integer exchange: blanks around one optional sign and decimal
// digits that fit an int. Anything else (empty, other characters, overflow)
// is no integer; the dialog then says "请键入一个整数。" and keeps the member.
std::optional<int> ExchangeInteger(const std::string& text);

// The C library's text-to-integer rule on the first 9 characters of the field:
// leading blanks, an optional sign, the digits up to the first other character;
// no digits gives 0. Nine characters cannot overflow an int.
int AngleFromFieldText(const std::string& text);

// Calibration steps for an angle of 0..90 degrees: trunc(n * 0.6), 0..54.
int AngleSteps(int degrees);

inline constexpr const char* kNotAnInteger = "请键入一个整数。";

} // namespace wheel
