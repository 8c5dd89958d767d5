#pragma once

#include "FakeWheel.h"

#include "protocol/WheelProtocol.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace wheeltest {

using Time = std::chrono::steady_clock::time_point;

// A block as a rendering leaves it: distinctive picture bytes, mode 1, AA AA AA.
inline wheel::TransferBlock RenderedBlock(std::uint8_t seed = 0)
{
    wheel::WheelFrame frame{};
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<std::uint8_t>((i * 7 + seed) % 251);
    return wheel::MakeTransferBlock(frame, 1);
}

// The 62 bytes of chunk c of `block`.
inline std::array<std::uint8_t, 62> Chunk(const wheel::TransferBlock& block, int c)
{
    std::array<std::uint8_t, 62> out{};
    std::copy_n(block.begin() + 62 * c, 62, out.begin());
    return out;
}

class ProtocolTest : public ::testing::Test {
protected:
    ProtocolTest()
        : wheel(view)
        , protocol(wheel, view, [this] { return now; })
    {
        values.m_bPictureLoaded = 1;
        values.m_b48Mode = 1;
    }

    // A download of the boxes named by their labels, run to the end.
    bool Download(const std::vector<int>& labels)
    {
        values.m_slotChecks = wheel::SlotChecksFromLabels(labels);
        const bool started = protocol.OnDownload(values, block);
        wheel.Pump(protocol);
        return started;
    }

    RecordingView view;
    FakeWheel wheel;
    Time now{};
    wheel::WheelProtocol protocol;
    wheel::ProtocolInputs values;
    wheel::TransferBlock block = RenderedBlock();
};

} // namespace wheeltest
