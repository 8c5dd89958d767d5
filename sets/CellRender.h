#pragma once
// A cell of a picture set as the wheel light will show it: its picture loaded
// with the cell's adjustments, rendered into the block a download sends and
// into a small copy of the round preview the main window shows.

#include "picture/PictureFile.h"
#include "picture/WheelFrame.h"
#include "sets/PictureSet.h"

#include <opencv2/core.hpp>

namespace wheel {

// The side of a cell's preview: a third of the 312 x 312 preview.
inline constexpr int kCellPreviewSize = 104;

struct CellRendering {
    LoadError error = LoadError::None;  // why the picture could not be loaded
    TransferBlock block{};  // the frame, the set's mode byte, then AA AA AA
    cv::Mat preview;        // BGR, previewSize x previewSize; empty on error or for size 0
    int otsuThreshold = 0;  // where a manual threshold may start from
    explicit operator bool() const { return error == LoadError::None; }
};

// Loads, adjusts and renders one cell. Safe to call on several threads at once.
CellRendering RenderCell(const SetCell& cell, bool mode48, int previewSize = kCellPreviewSize);

} // namespace wheel
