#include "sets/SetDownload.h"

namespace wheel {

SetDownload PlanSetDownload(const PictureSet& set, const CellRenderings& rendered)
{
    SetDownload download;
    std::vector<BoxFrame> frames;
    for (int box = 1; box <= kSlotBoxes; ++box) {
        const std::optional<SetCell>& cell = set.Cell(box);
        if (!cell)
            continue;
        const std::optional<CellRendering>& rendering = rendered.at(static_cast<std::size_t>(box - 1));
        if (!rendering || !*rendering) {
            download.skipped.push_back(box);
            continue;
        }
        frames.push_back(BoxFrame{box, FrameOfBlock(rendering->block)});
        download.names.bySlot[SlotNumberForLabel(box)] = PictureName::OfFile(cell->picture);
    }
    download.pictures = PlanPictures(std::move(frames), set.mode48 ? 1 : 0);
    return download;
}

} // namespace wheel
