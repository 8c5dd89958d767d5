#pragma once
// What the main window exchanges with its controls, as plain values: the
// window reads its controls into a ControlState and applies the result to its
// members, and the other way round. The order of the exchange and its rules
// (integers, check boxes, the radio group, the slot boxes' order) live here so
// that they can be checked without a window.

#include <QString>

#include <array>
#include <optional>

namespace wheel {

inline constexpr int kSlotCount = 20;

// The slot boxes exchange in the order of their labels sorted as text:
// 第1幅, 第10幅, 第11幅 ... 第19幅, 第2幅, 第20幅, 第3幅 ... 第9幅.
// Label n is the box "第n幅" (1 to 20).
int SlotIndexOfLabel(int label);   // 0..19, or -1 for a label outside 1..20
int SlotLabelOfIndex(int index);   // 1..20, or -1 for an index outside 0..19

// The slot number sent to the wheel light for a box: 1 to 19, and 0 for 第20幅.
int SlotNumberOfLabel(int label);

// The integer in an edit field: blanks around it allowed, an optional sign,
// decimal digits, within the range of a 32-bit int. Anything else (empty,
// other characters, out of range) is not an integer.
std::optional<int> ParseDialogInt(const QString& text);

// The state of the exchanged controls as the window shows it.
struct ControlState {
    QString logText;                      // log edit box, lines separated by "\r\n"
    std::array<bool, kSlotCount> slotTicked{}; // in exchange order (see SlotIndexOfLabel)
    bool mode48 = false;                  // "48图模式"
    QString angleText;                    // angle edit box
    bool left = false;                    // "向左调"
    bool right = false;                   // "向右调"
};

// The members of the main window that take part in the exchange.
struct DialogValues {
    QString m_strLog;
    std::array<int, kSlotCount> m_slotChecks{};
    int m_b48Mode = 0;
    int m_nAngle = 0;
    int m_nDirection = 1;   // 0 = "向左调", 1 = "向右调"
};

enum class ExchangeResult { Ok, AngleNotInteger };

// Controls to members, in the exchange order: log text, the 20 slot boxes,
// the 48-picture box, the angle, the radio group. An angle that is not an
// integer leaves m_nAngle as it was and is reported; the other values are
// still taken.
ExchangeResult ReadControls(const ControlState& controls, DialogValues& values);

// Members to controls. A direction other than 0 or 1 selects neither radio
// button; a non-zero check value ticks the box.
ControlState WriteControls(const DialogValues& values);

} // namespace wheel
