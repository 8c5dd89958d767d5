#include "protocol/FactoryPictures.h"
#include "tools/factory-pictures/FactoryArt.h"

#include <gtest/gtest.h>

#include <bitset>
#include <set>

namespace {

TEST(FactoryPictures, TableIsWhatTheGeneratorDraws)
{
    // Regenerate with: cmake --build build --target factory-pictures
    const auto blocks = wheel::factory::MakeFactoryBlocks();
    for (int p = 0; p < wheel::kFactoryPictureCount; ++p)
        EXPECT_EQ(blocks[p], wheel::kFactoryPictures[p]) << "block " << p << " is stale";
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
