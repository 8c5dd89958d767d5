#pragma once
// The link to the wheel light: finds and opens it (one handle for input
// reports, one for output reports), writes output reports, reads the answers
// on a worker thread and hands them to the protocol, and reacts to the device
// being pulled out.
//
// Threads: the owner's thread calls ConnectDevice, CloseDevice, OnDeviceChange
// and the first SendReport of an operation; the reader thread reads answers and
// calls ILinkHost::OnAnswer, from which the protocol sends the next report
// (written right there); the write thread performs the writes of the other
// callers, so that a device that is slow to take a report never blocks them for
// longer than a short moment. All shared
// state is under m_mutex.

#include "usb/HidBackend.h"
#include "usb/ReportLink.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace wheel {

// What the link needs of its owner.
class ILinkHost {
public:
    virtual ~ILinkHost() = default;
    // One line for the message log; called from any thread.
    virtual void AppendLog(const std::string& textUtf8, int withTime, int withNewline) = 0;
    // The answer code (byte 1) of each accepted input report, on the reader
    // thread. May call SendReport.
    virtual void OnAnswer(std::uint8_t code) = 0;
    // A read or a write found the wheel light gone while the link was up; its
    // removal notice may never come (an unplug and re-plug between two polls,
    // a lost event). Called on any thread, at most once per connection, never
    // with the link's locks held: the host hands it to its own thread and
    // calls UsbLink::TakeLoss there.
    virtual void OnDeviceLost() = 0;
};

// The log line that follows a failed open when the system refused access.
extern const char* const kPermissionHint;

class UsbLink final : public IReportLink {
public:
    struct Timing {
        // How long one read waits before the reader looks at the link again;
        // bounds how long closing and stopping wait for a pending read.
        std::chrono::milliseconds readPoll{100};
        // How long a report waits for the write before it to complete before
        // it is refused as "data still being sent".
        std::chrono::milliseconds sendWait{1000};
        // How long SendReport waits for its own write to finish, so that the
        // usual fast write reports its result (and its error) at once; a
        // slower one completes on the write thread.
        std::chrono::milliseconds writeAtOnce{50};
        // Pause after a failed read (a vanished device fails at once).
        std::chrono::milliseconds readErrorPause{100};
    };

    // The backend and the host must outlive the link.
    UsbLink(IHidBackend& backend, ILinkHost& host);
    UsbLink(IHidBackend& backend, ILinkHost& host, Timing timing);
    ~UsbLink() override;
    UsbLink(const UsbLink&) = delete;
    UsbLink& operator=(const UsbLink&) = delete;

    // Starts the write thread and the reader thread; again after Stop is fine.
    void Start();
    // Stops the reader thread, then the write thread, and joins them. Waits at
    // most for one read poll and the write under way. Idempotent. Called from
    // OnAnswer it only asks the threads to end.
    void Stop();

    // Searches the wheel lights in enumeration order and opens the first one
    // twice; true when one was found (even if an open failed).
    bool ConnectDevice() override;
    // Closes both handles (waiting for a pending read or write to end) and
    // takes the link down; logs "关闭设备".
    void CloseDevice();

    bool SendReport(std::uint8_t slot, std::uint8_t chunk,
                    std::span<const std::uint8_t, kReportDataBytes> data) override;

    bool LinkUp() const;
    std::string DevicePath() const;

    // The arrival or removal of a HID device, on the owner's thread. Returns
    // true when the wheel light itself was pulled out: the link is closed then,
    // and the owner drops its connected state and fails a running operation.
    // The removal notice of a loss that TakeLoss has already reported is
    // passed over.
    bool OnDeviceChange(DeviceChange change, const std::string& path);

    // The owner's side of ILinkHost::OnDeviceLost, on its thread. When the
    // connection found gone is still the current one, logs and closes as a
    // removal does ("设备被拔出", "关闭设备") and returns true: the owner then
    // does what it does when OnDeviceChange returns true.
    bool TakeLoss();

private:
    struct WriteOutcome {
        int result = -1;   // bytes written, or -1
        int errorCode = 0; // kWriteError code; 0 when the link went down first
    };

    void ReaderThreadProc();
    void WriteWatchThreadProc();
    WriteOutcome WriteOnce(const std::array<std::uint8_t, kInputReportBytes>& report, std::uint64_t connection);
    void ReleaseHandles();
    void ReportWriteFailure(int errorCode, std::uint64_t connection);
    void NoteLoss(std::uint64_t connection);
    void Log(const char* text, int withTime = 1, int withNewline = 1);

    IHidBackend& m_backend;
    ILinkHost& m_host;
    const Timing m_timing;

    mutable std::mutex m_mutex;
    std::condition_variable m_stateChanged;  // any change of the state below
    bool m_bLinkUp = false;
    HidHandle m_hReadDevice = kInvalidHandle;
    HidHandle m_hWriteDevice = kInvalidHandle;
    bool m_bSending = false;
    std::string m_strDevicePath;
    std::uint64_t m_nConnection = 0;  // counts successful searches
    std::uint64_t m_nLostConnection = 0;  // the last connection a read or write found gone
    bool m_bLossAnnounced = false;  // TakeLoss reported it; the removal notice may still come

    // The write handed to the write thread.
    std::array<std::uint8_t, kInputReportBytes> m_outputReport{};
    std::uint64_t m_nWriteConnection = 0;
    std::uint64_t m_nWritePosted = 0;
    std::uint64_t m_nWriteTaken = 0;
    std::uint64_t m_nWriteDone = 0;
    std::uint64_t m_nWriteLeft = 0;  // the sender stopped waiting for this one
    WriteOutcome m_lastWrite;
    std::uint64_t m_nLastWriteTicket = 0;

    bool m_bStarted = false;
    bool m_bStopping = false;
    std::thread m_readThread;
    std::thread::id m_readerId;  // the reader's id while it runs
    std::thread m_writeThread;

    // Held while a handle is in use by a read or a write, so that closing
    // never pulls a handle from under it. Taken before m_mutex, never after.
    std::mutex m_readIo;
    std::mutex m_writeIo;
    std::mutex m_joinMutex;  // one Stop joins at a time
};

} // namespace wheel
