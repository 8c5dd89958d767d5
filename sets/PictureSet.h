#pragma once
// A picture set: a picture of its own, with its own adjustments, for some of
// the wheel light's twenty slot boxes, and the set's 48-picture mode. Boxes
// without a cell are empty. The .wheelset files that keep sets are
// sets/SetFile.h's.

#include "picture/PictureAdjustments.h"
#include "protocol/SlotTable.h"

#include <QString>

#include <array>
#include <optional>

namespace wheel {

struct SetCell {
    QString picture;  // absolute path
    PictureAdjustments adjustments;
    bool operator==(const SetCell&) const = default;
};

struct PictureSet {
    bool mode48 = true;
    std::array<std::optional<SetCell>, kSlotBoxes> cells;  // cells[box - 1]

    std::optional<SetCell>& Cell(int box) { return cells.at(static_cast<std::size_t>(box - 1)); }
    const std::optional<SetCell>& Cell(int box) const { return cells.at(static_cast<std::size_t>(box - 1)); }
    int FilledCount() const
    {
        int n = 0;
        for (const auto& cell : cells)
            n += cell.has_value();
        return n;
    }
    bool operator==(const PictureSet&) const = default;
};

} // namespace wheel
