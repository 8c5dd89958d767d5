#pragma once
// The motifs of the built-in factory pictures, drawn as 312 x 312 working
// pictures (light motif on black) and run through the editor's own rendering.
// Only the ring from radius 52 to 155 reaches the LEDs, so the motifs live there.

#include "picture/WheelFrame.h"

#include <opencv2/core.hpp>

#include <array>
#include <string>
#include <string_view>

namespace wheel::factory {

inline constexpr int kMotifCount = 20;

// The OpenCV whose drawing functions made the committed table
// (protocol/FactoryPictures.cpp). Other versions fill the edges of polygons a
// little differently (4.10 lights 19 more edge pixels of the heart, two LEDs of
// its block), so only this one redraws the table bit for bit.
inline constexpr std::string_view kTableDrawnWith = "4.6.0";

struct Motif {
    std::string name;
    cv::Mat work;  // 312 x 312, 8-bit, one channel, 0 or 255
};

std::array<Motif, kMotifCount> DrawMotifs();

// Motif p rendered into a block with the factory trailer: AA AA AA AA for
// blocks 0 to 18, 01 BB AA AA for block 19.
std::array<TransferBlock, kMotifCount> MakeFactoryBlocks();

} // namespace wheel::factory
