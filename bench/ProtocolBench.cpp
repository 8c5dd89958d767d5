// BM_DownloadCycle: one report out and its answer in, through UsbLink, the
// protocol and the simulated wheel light answering at once. The goal is well
// under 20 us per report (2% of a USB full-speed frame), so that a real
// download is paced by the device alone.

#include "protocol/WheelProtocol.h"
#include "usb/SimulatedWheelLight.h"
#include "usb/UsbLink.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

class QuietWindow final : public wheel::ILinkHost, public wheel::IProtocolView {
public:
    wheel::WheelProtocol* protocol = nullptr;

    void AppendLog(const std::string&, int, int) override {}
    void OnAnswer(std::uint8_t code) override { protocol->OnAnswer(code); }
    void OnDeviceLost() override {}  // the simulated light stays plugged in
    void AppendLog(const std::string&, bool) override {}
    void ReplaceLog(const std::string&) override {}
    void ShowMessage(const std::string&, const std::string&) override {}
    void SetProgress(int) override {}
    void EnableOperationButtons(bool) override {}
    void SetAllSlotBoxes(bool) override {}
    void Set48Mode(bool) override {}
};

void BM_DownloadCycle(benchmark::State& state)
{
    wheel::SimulatedWheelLight light;
    QuietWindow window;
    wheel::UsbLink link(light, window);
    wheel::WheelProtocol protocol(link, window);
    window.protocol = &protocol;
    link.Start();

    wheel::ProtocolInputs values;
    values.m_bPictureLoaded = 1;
    values.m_slotChecks.fill(1);
    wheel::TransferBlock block{};
    constexpr int kReports = 20 * 8;

    const auto started = std::chrono::steady_clock::now();
    for (auto _ : state) {
        light.ClearTranscript();
        if (!protocol.OnDownload(values, block) || !protocol.WaitForIdle(std::chrono::seconds(30))
            || protocol.LastResult() != wheel::WheelProtocol::Result::Succeeded) {
            state.SkipWithError("the download did not complete");
            break;
        }
    }
    const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - started;
    link.Stop();
    state.SetItemsProcessed(state.iterations() * kReports);
    if (state.iterations() > 0)
        state.counters["us_per_report"] = elapsed.count() / static_cast<double>(state.iterations() * kReports);
}

BENCHMARK(BM_DownloadCycle)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
