#pragma once
// "下载全部": a picture set's rendered cells as one download, and the names
// its pictures are recorded under.

#include "protocol/DownloadList.h"
#include "record/WheelRecord.h"
#include "sets/CellRender.h"
#include "sets/PictureSet.h"

#include <array>
#include <optional>
#include <vector>

namespace wheel {

using CellRenderings = std::array<std::optional<CellRendering>, kSlotBoxes>;  // [box - 1]

struct SetDownload {
    std::vector<SlotPicture> pictures;  // for WheelProtocol::OnDownloadPictures
    SlotNames names;                    // for the record
    // Filled boxes left out: their picture could not be loaded (or is not
    // rendered yet). The user is told before the download starts.
    std::vector<int> skipped;
};

// Every filled cell that rendered, by box, with the set's 48-picture mode;
// the last picture sent carries MarkerLastPicture.
SetDownload PlanSetDownload(const PictureSet& set, const CellRenderings& rendered);

} // namespace wheel
