#pragma once
// The twenty picture slots of the wheel light and the boxes that choose them.
//
// The boxes are labelled "第1幅" to "第20幅". The dialog exchanges their values
// in the order of the labels sorted as text (第1幅, 第10幅, 第11幅 ... 第19幅,
// 第2幅, 第20幅, 第3幅 ... 第9幅), which is the order of m_slotChecks. The slot
// number sent to the device is the label's number, except that "第20幅" is
// slot 0.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace wheel {

inline constexpr int kSlotBoxes = 20;

// One value per box, 0 or 1, in the dialog's exchange order.
using SlotChecks = std::array<int, kSlotBoxes>;

// Position in m_slotChecks of the box labelled "第<label>幅" (1..20).
int SlotCheckIndex(int label);

// Slot number sent for the box labelled "第<label>幅" (1..20): 1..19, then 0.
std::uint8_t SlotNumberForLabel(int label);

// The text of the box labelled "第<label>幅".
std::string SlotLabelText(int label);

// Slot numbers of the ticked boxes in sending order: label order 1, 2, ...,
// 19, 20, whatever order they were ticked in.
std::vector<std::uint8_t> BuildSlotTable(const SlotChecks& m_slotChecks);

// Ticks the boxes named by their label numbers (1..20) and nothing else.
SlotChecks SlotChecksFromLabels(const std::vector<int>& labels);

} // namespace wheel
