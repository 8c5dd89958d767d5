#include "protocol/SlotTable.h"

#include <stdexcept>

namespace wheel {

namespace {

// Exchange index of the boxes "第1幅" .. "第20幅".
constexpr std::array<int, kSlotBoxes> kCheckIndexByLabel = {
    0, 11, 13, 14, 15, 16, 17, 18, 19, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12,
};

void CheckLabel(int label)
{
    if (label < 1 || label > kSlotBoxes)
        throw std::out_of_range("slot label out of range");
}

} // namespace

int SlotCheckIndex(int label)
{
    CheckLabel(label);
    return kCheckIndexByLabel[static_cast<std::size_t>(label - 1)];
}

std::uint8_t SlotNumberForLabel(int label)
{
    CheckLabel(label);
    return static_cast<std::uint8_t>(label == kSlotBoxes ? 0 : label);
}

std::string SlotLabelText(int label)
{
    CheckLabel(label);
    return "第" + std::to_string(label) + "幅";
}

std::vector<std::uint8_t> BuildSlotTable(const SlotChecks& m_slotChecks)
{
    std::vector<std::uint8_t> table;
    for (int label = 1; label <= kSlotBoxes; ++label) {
        if (m_slotChecks[static_cast<std::size_t>(SlotCheckIndex(label))] != 0)
            table.push_back(SlotNumberForLabel(label));
    }
    return table;
}

SlotChecks SlotChecksFromLabels(const std::vector<int>& labels)
{
    SlotChecks checks{};
    for (int label : labels)
        checks[static_cast<std::size_t>(SlotCheckIndex(label))] = 1;
    return checks;
}

} // namespace wheel
