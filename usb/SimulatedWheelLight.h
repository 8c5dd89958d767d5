#pragma once
// A wheel light in software: enumerates as 0483:5750, takes output reports,
// answers each chunk of a block as the device does (0xAA for chunks 0 to 6,
// 0x44 for chunk 7) and keeps the last complete block per slot. Tests,
// benchmarks and --simulate use it; its faults let tests play a misbehaving
// device.

#include "picture/WheelFrame.h"
#include "usb/HidBackend.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>

namespace wheel {

class SimulatedWheelLight final : public IHidBackend {
public:
    static constexpr const char* kPath = "sim:wheel-light";
    static constexpr const char* kProductName = "Simulated wheel light";

    struct Faults {
        std::chrono::milliseconds latency{0};  // each answer comes this much later
        bool silent = false;                   // takes reports, never answers
        bool wrongReportId = false;            // answers with report ID 1
        bool shortReport = false;              // answers with 10 bytes
        std::optional<std::uint8_t> answerCode{}; // answers with this code instead
        int removeAfterReports = 0;            // > 0: vanishes right after taking the n-th report
                                               // (counted from SetFaults), without answering it
        bool removeUnannounced = false;        // that removal sends no news (the system's notice got lost)
        OpenFailure openFailure = OpenFailure::None;  // every Open fails like this
    };

    struct Exchange {
        enum class Direction { Out, In } direction;
        std::vector<std::uint8_t> bytes;  // 65 bytes unless a fault made it shorter
    };

    // Unplugged (`plugged` false), it enumerates nothing until Plug.
    explicit SimulatedWheelLight(bool plugged = true);
    ~SimulatedWheelLight() override;

    // IHidBackend
    std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    HidHandle Open(const std::string& path, OpenFailure* failure) override;
    int Write(HidHandle handle, std::span<const std::uint8_t, kInputReportBytes> report, int* errorCode) override;
    int Read(HidHandle handle, std::span<std::uint8_t, kInputReportBytes> report, int timeoutMs) override;
    void Close(HidHandle handle) override;
    bool WatchChanges(ChangeCallback callback) override;

    void SetFaults(const Faults& faults);

    // Pulls the device out (open handles die, pending answers are lost) or
    // plugs it back in; both are reported through WatchChanges unless
    // `announce` is false, which plays a notice that got lost on the way.
    void Unplug(bool announce = true);
    void Plug(bool announce = true);
    bool Plugged() const;

    // Queues an input report as the device would send it unasked, e.g. a
    // malformed one; it is read before any later answer.
    void InjectInput(std::vector<std::uint8_t> bytes);

    // The last complete block received for a slot byte (picture blocks only).
    std::optional<TransferBlock> Slot(std::uint8_t slot) const;
    // The last complete calibration block (trailer marker 0xCC).
    std::optional<TransferBlock> Calibration() const;

    // Every report in and out, in the order they crossed the wire.
    std::vector<Exchange> Transcript() const;
    void ClearTranscript();
    // Also called with each report as it crosses (on the thread that wrote or
    // read it); must not call back into this object.
    void SetRecorder(std::function<void(const Exchange&)> recorder);

    int ReportsTaken() const;

private:
    struct PendingInput {
        std::chrono::steady_clock::time_point due;
        std::vector<std::uint8_t> bytes;
    };
    struct Assembly {
        TransferBlock block{};
        unsigned chunks = 0;  // bit n: chunk n received
    };

    void VanishLocked();
    void Notify(DeviceChange change);
    void Record(Exchange::Direction direction, std::vector<std::uint8_t> bytes);
    void TakeReport(std::uint8_t slot, std::uint8_t chunk, std::span<const std::uint8_t> data);

    mutable std::mutex m_mutex;
    std::condition_variable m_inputArrived;
    bool m_bPlugged = true;
    std::set<HidHandle> m_open;
    HidHandle m_nextHandle = 1;
    Faults m_faults;
    int m_nReportsTaken = 0;      // since SetFaults
    std::deque<PendingInput> m_input;
    std::map<std::uint8_t, Assembly> m_assembly;
    std::map<std::uint8_t, TransferBlock> m_slots;
    std::optional<TransferBlock> m_calibration;
    std::vector<Exchange> m_transcript;

    std::mutex m_callbackMutex;  // keeps a callback alive while it runs
    ChangeCallback m_changeCallback;
    std::function<void(const Exchange&)> m_recorder;
};

} // namespace wheel
