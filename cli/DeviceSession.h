#pragma once
// What wheelctl's device commands share: the HID backend (simulated with
// --simulate), the USB link, the protocol the editor uses, a view that prints
// what the editor would log and show, and an optional transcript of every
// report that crosses the wire.

#include "cli/Command.h"
#include "protocol/WheelProtocol.h"
#include "record/WheelRecord.h"
#include "usb/HidBackend.h"
#include "usb/UsbLink.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class QCoreApplication;
namespace wheel { class HotplugMonitor; class OutputFiles; }

namespace wheelctl {

// One transcript line: "out" or "in", a space, the bytes as two-digit
// lowercase hex separated by single spaces.
std::string TranscriptLine(bool out, std::span<const std::uint8_t> bytes);

class DeviceSession final : public wheel::ILinkHost, public wheel::IProtocolView {
public:
    // Fails (with a message) when the transcript cannot be written; check
    // Ok(). `operation` names what the wheel light does ("download") in the
    // message that gives its result apart from a failed transcript.
    DeviceSession(const Context& context, const std::optional<std::string>& transcriptPath,
                  std::string operation = "operation");
    ~DeviceSession() override;

    bool Ok() const { return m_ok; }

    // Keeps the record of what the wheel light holds (the simulated one's
    // with --simulate) for the downloads Run starts, their pictures named by
    // `names`. A record that cannot be kept is warned about; the exit status
    // stays the operation's.
    void KeepRecord(wheel::SlotNames names);
    wheel::WheelProtocol& Protocol() { return *m_protocol; }

    // Starts an operation with `start` (on this thread, as the window's
    // handlers do), then waits for it to end while the watchdog ticks and
    // removals are handled. Exit status: 0 when it succeeded, else 1.
    int Run(const std::function<bool(wheel::WheelProtocol&)>& start);

    // ILinkHost
    void AppendLog(const std::string& text, int withTime, int withNewline) override;
    void OnAnswer(std::uint8_t code) override;
    void OnDeviceLost() override;

    // IProtocolView
    void AppendLog(const std::string& text, bool withTime) override;
    void ReplaceLog(const std::string& text) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void SetProgress(int percent) override;
    void EnableOperationButtons(bool) override {}
    void SetAllSlotBoxes(bool) override {}
    void Set48Mode(bool) override {}
    void DownloadStarting(const std::vector<std::uint8_t>& slotBytes) override;
    void DownloadEnded(const wheel::DownloadOutcome& outcome) override;

private:
    class RecordingBackend;
    void Print(const std::string& text);
    void HandleChanges();
    void UpdateRecord();

    bool m_ok = true;
    std::string m_operation;
    bool m_simulated = false;
    std::unique_ptr<wheel::OutputFiles> m_transcript;
    std::unique_ptr<wheel::IHidBackend> m_backend;
    std::unique_ptr<RecordingBackend> m_recording;
    std::unique_ptr<QCoreApplication> m_app;           // for the hot-plug monitor's notifier
    std::unique_ptr<wheel::HotplugMonitor> m_monitor;  // the system's news, where the backend has none
    std::unique_ptr<wheel::UsbLink> m_link;
    std::unique_ptr<wheel::WheelProtocol> m_protocol;

    std::unique_ptr<wheel::RecordKeeper> m_record;
    wheel::SlotNames m_names;
    std::mutex m_recordMutex;  // the download's news, from the answering thread
    std::optional<std::vector<std::uint8_t>> m_starting;
    std::optional<wheel::DownloadOutcome> m_ended;

    std::mutex m_printMutex;
    // A device change from the system or the backend, or (lost) the link's
    // news that a read or write found the device gone.
    struct Change {
        bool lost = false;
        wheel::DeviceChange change = wheel::DeviceChange::Removed;
        std::string path;
    };
    std::mutex m_changeMutex;
    std::deque<Change> m_changes;
};

} // namespace wheelctl
