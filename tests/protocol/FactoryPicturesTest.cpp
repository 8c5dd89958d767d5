#include "protocol/FactoryPictures.h"
#include "tools/factory-pictures/FactoryArt.h"

#include <gtest/gtest.h>
#include <opencv2/core/version.hpp>

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>

namespace {

// Where another OpenCV draws the motifs, their edges may light or darken a few
// LEDs more; a motif changed or moved in the generator differs in far more.
constexpr std::size_t kEdgeLeds = 16;

std::size_t DifferentLeds(const wheel::TransferBlock& a, const wheel::TransferBlock& b)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < wheel::kFrameBytes; ++i)
        n += std::bitset<8>(a[i] ^ b[i]).count();
    return n;
}

TEST(FactoryPictures, TableIsWhatTheGeneratorDraws)
{
    // Regenerate with: cmake --build build --target factory-pictures
    const auto blocks = wheel::factory::MakeFactoryBlocks();
    if (std::string_view(CV_VERSION) == wheel::factory::kTableDrawnWith) {
        for (int p = 0; p < wheel::kFactoryPictureCount; ++p)
            EXPECT_EQ(blocks[p], wheel::kFactoryPictures[p]) << "block " << p << " is stale";
        return;
    }
    std::printf("OpenCV " CV_VERSION " draws the motifs; the table, drawn by %s, is compared within %zu LEDs\n",
                std::string(wheel::factory::kTableDrawnWith).c_str(), kEdgeLeds);
    for (int p = 0; p < wheel::kFactoryPictureCount; ++p) {
        const auto& table = wheel::kFactoryPictures[p];
        EXPECT_TRUE(std::equal(blocks[p].begin() + wheel::kFrameBytes, blocks[p].end(),
                               table.begin() + wheel::kFrameBytes))
            << "trailer of block " << p;
        EXPECT_LE(DifferentLeds(blocks[p], table), kEdgeLeds) << "block " << p << " is stale";
    }
}

// The comparison within kEdgeLeds still tells every motif from every other.
TEST(FactoryPictures, MotifsDifferInFarMoreThanEdgeLeds)
{
    for (int p = 0; p < wheel::kFactoryPictureCount; ++p)
        for (int q = p + 1; q < wheel::kFactoryPictureCount; ++q)
            EXPECT_GT(DifferentLeds(wheel::kFactoryPictures[p], wheel::kFactoryPictures[q]), 10 * kEdgeLeds)
                << p << " and " << q;
}

TEST(FactoryPictures, TrailersAndDistinctTwoTonePictures)
{
    std::set<wheel::TransferBlock> distinct;
    for (int p = 0; p < wheel::kFactoryPictureCount; ++p) {
        const auto& block = wheel::kFactoryPictures[p];
        const std::vector<int> trailer(block.begin() + 492, block.end());
        if (p < 19)
            EXPECT_EQ(trailer, (std::vector<int>{0xAA, 0xAA, 0xAA, 0xAA})) << p;
        else
            EXPECT_EQ(trailer, (std::vector<int>{0x01, 0xBB, 0xAA, 0xAA}));
        std::size_t lit = 0;
        for (std::size_t i = 0; i < wheel::kFrameBytes; ++i)
            lit += std::bitset<8>(block[i]).count();
        // A motif, not an empty or a full wheel.
        EXPECT_GT(lit, 164u * 24 / 10) << p;
        EXPECT_LT(lit, 164u * 24 * 8 / 10) << p;
        distinct.insert(block);
    }
    EXPECT_EQ(distinct.size(), 20u);
}

} // namespace
