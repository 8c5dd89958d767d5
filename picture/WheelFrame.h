#pragma once
// The wheel's picture formats: the 164 x 24 column bit image and the
// 496-byte block that carries one picture to the wheel light.

#include "picture/WheelGeometry.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace wheel {

inline constexpr std::size_t kFrameBytes = 492;
inline constexpr std::size_t kBlockBytes = 496;
inline constexpr std::size_t kChunkBytes = 62;
inline constexpr int kChunksPerBlock = 8;

// Entry k (3 bytes) holds LEDs 0-7, 8-15, 16-23; LED n of a group in bit n.
// A bit is 1 where the picture is light.
using WheelFrame = std::array<std::uint8_t, kFrameBytes>;

// Whether LED `led` of column entry `entry` is light (unlit on the wheel).
inline bool LedIsLight(const WheelFrame& frame, int entry, int led)
{
    return (frame[static_cast<std::size_t>(3 * entry + led / 8)] >> (led % 8)) & 1;
}

inline void SetLedLight(WheelFrame& frame, int entry, int led, bool light)
{
    std::uint8_t& byte = frame[static_cast<std::size_t>(3 * entry + led / 8)];
    const auto bit = static_cast<std::uint8_t>(1u << (led % 8));
    byte = light ? static_cast<std::uint8_t>(byte | bit) : static_cast<std::uint8_t>(byte & ~bit);
}

// Trailer offsets inside a TransferBlock.
inline constexpr std::size_t kTrailerMode = 492;       // 48-picture mode flag
inline constexpr std::size_t kTrailerMarker = 493;     // picture / last / calibration
inline constexpr std::size_t kTrailerDirection = 494;  // calibration direction
inline constexpr std::size_t kTrailerSteps = 495;      // calibration steps

inline constexpr std::uint8_t MarkerPicture = 0xAA;
inline constexpr std::uint8_t MarkerLastPicture = 0xBB;
inline constexpr std::uint8_t MarkerCalibration = 0xCC;

// A WheelFrame followed by its 4-byte trailer; sent as 8 chunks of 62 bytes.
using TransferBlock = std::array<std::uint8_t, kBlockBytes>;

// The block that a fresh rendering leaves: the frame, the mode byte, then
// 0xAA 0xAA 0xAA.
inline TransferBlock MakeTransferBlock(const WheelFrame& frame, std::uint8_t mode48)
{
    TransferBlock block{};
    for (std::size_t i = 0; i < kFrameBytes; ++i)
        block[i] = frame[i];
    block[kTrailerMode] = mode48;
    block[kTrailerMarker] = MarkerPicture;
    block[kTrailerDirection] = 0xAA;
    block[kTrailerSteps] = 0xAA;
    return block;
}

// The frame a block carries: its first 492 bytes.
inline WheelFrame FrameOfBlock(const TransferBlock& block)
{
    WheelFrame frame{};
    std::copy_n(block.begin(), kFrameBytes, frame.begin());
    return frame;
}

} // namespace wheel
