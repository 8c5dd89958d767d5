// One picture block (8 reports, 8 answers) through UsbLink and the simulated
// wheel light: the cost of the link's threads per exchange, without a device.

#include "usb/SimulatedWheelLight.h"
#include "usb/UsbLink.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <mutex>

namespace {

// Sends the next chunk on each 0xAA, like the download does, and counts blocks.
class BlockSender : public wheel::ILinkHost {
public:
    wheel::UsbLink* link = nullptr;

    void AppendLog(const std::string&, int, int) override {}
    void OnDeviceLost() override {}  // the simulated light stays plugged in
    void OnAnswer(std::uint8_t code) override
    {
        if (code == wheel::AnswerNext) {
            int chunk;
            {
                std::lock_guard lock(m_mutex);
                chunk = ++m_nChunk;
            }
            link->SendReport(1, static_cast<std::uint8_t>(chunk), m_data);
        } else if (code == wheel::AnswerDone) {
            std::lock_guard lock(m_mutex);
            m_bDone = true;
            m_done.notify_all();
        }
    }
    void SendBlock()
    {
        {
            std::lock_guard lock(m_mutex);
            m_nChunk = 0;
            m_bDone = false;
        }
        link->SendReport(1, 0, m_data);
        std::unique_lock lock(m_mutex);
        m_done.wait_for(lock, std::chrono::seconds(5), [&] { return m_bDone; });
    }

private:
    std::array<std::uint8_t, wheel::kReportDataBytes> m_data{};
    std::mutex m_mutex;
    std::condition_variable m_done;
    int m_nChunk = 0;
    bool m_bDone = false;
};

void BM_BlockThroughSimulatedLight(benchmark::State& state)
{
    wheel::SimulatedWheelLight light;
    BlockSender sender;
    wheel::UsbLink link(light, sender);
    sender.link = &link;
    link.Start();
    link.ConnectDevice();
    for (auto _ : state)
        sender.SendBlock();
    link.Stop();
    state.SetItemsProcessed(state.iterations() * 8);  // reports
}
BENCHMARK(BM_BlockThroughSimulatedLight)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
