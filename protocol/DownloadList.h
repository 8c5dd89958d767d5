#pragma once
// A download as a list of (slot, block) pairs: the pictures of a picture set,
// one picture ticked into several slots, and the factory pictures are all
// sent this way.

#include "picture/WheelFrame.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace wheel {

// One picture of a download: the slot byte it goes to and the 496-byte block
// sent there, trailer included.
struct SlotPicture {
    std::uint8_t slot = 0;
    TransferBlock block{};
    bool operator==(const SlotPicture&) const = default;
};

// A picture of its own for some of the boxes "第1幅" .. "第20幅".
struct BoxFrame {
    int box = 0;  // 1..20
    WheelFrame frame{};
};

// The pictures in the order a download sends them: by box 1, 2, ..., 20 (the
// order of the ticked boxes' slot table), each block with the frame, `mode48`
// and AA AA AA, except the last, whose byte 493 is MarkerLastPicture.
// Throws std::invalid_argument for a box outside 1..20 or named twice.
std::vector<SlotPicture> PlanPictures(std::vector<BoxFrame> boxes, std::uint8_t mode48);

// What a download left in the wheel light's slots when it ended.
struct DownloadOutcome {
    // The pictures the wheel light confirmed (its 0x44 for each), in the
    // order sent.
    std::vector<SlotPicture> confirmed;
    // Slots whose picture had started and was not confirmed: an unplug or a
    // silent wheel light ended the download there, and the slot may now hold
    // anything.
    std::vector<std::uint8_t> unfinished;
};

} // namespace wheel
