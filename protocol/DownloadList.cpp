#include "protocol/DownloadList.h"

#include "protocol/SlotTable.h"

#include <algorithm>
#include <stdexcept>

namespace wheel {

std::vector<SlotPicture> PlanPictures(std::vector<BoxFrame> boxes, std::uint8_t mode48)
{
    std::sort(boxes.begin(), boxes.end(), [](const BoxFrame& a, const BoxFrame& b) { return a.box < b.box; });
    std::vector<SlotPicture> pictures;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i].box < 1 || boxes[i].box > kSlotBoxes || (i > 0 && boxes[i].box == boxes[i - 1].box))
            throw std::invalid_argument("each picture needs a box of its own from 1 to 20");
        SlotPicture picture{SlotNumberForLabel(boxes[i].box), MakeTransferBlock(boxes[i].frame, mode48)};
        if (i + 1 == boxes.size())
            picture.block[kTrailerMarker] = MarkerLastPicture;
        pictures.push_back(picture);
    }
    return pictures;
}

} // namespace wheel
