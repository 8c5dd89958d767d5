#pragma once
// The wheel light's device protocol: picture download into the ticked slots,
// angle calibration and factory reset, driven one report out, one answer in.
// Every download is a list of (slot, block) pairs: the picture on show into
// each ticked slot, the factory pictures, or pictures of their own per slot.
//
// Threads: the handlers (OnDownload, OnCalibrate, OnFactoryReset, OnSelectAll,
// OnDeselectAll, OnDeviceRemoved, Tick) run on the window's thread; OnAnswer
// runs on the thread that reads the device's answers. All protocol state is
// under one mutex. Reports are handed to the link after the lock is released,
// so a link may deliver the answer from inside SendReport.

#include "picture/WheelFrame.h"
#include "protocol/DownloadList.h"
#include "protocol/ProtocolView.h"
#include "protocol/SlotTable.h"
#include "texts/AppTitle.h"
#include "usb/ReportLink.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace wheel {

// What a handler reads from the dialog after its data exchange.
struct ProtocolInputs {
    SlotChecks m_slotChecks{};
    int m_b48Mode = 1;
    int m_nAngle = 0;
    int m_nDirection = 1;     // 0 "向左调", 1 "向右调"
    int m_bPictureLoaded = 0;
    std::string angleText;    // the angle field's text exactly as typed
};

class WheelProtocol {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // A device that has not answered for this long fails the operation.
    static constexpr std::chrono::seconds kAnswerTimeout{5};

    enum class Operation { None, Download, Calibration };
    enum class Result { None, Succeeded, DeviceRemoved, TimedOut, Stopped };

    WheelProtocol(IReportLink& link, IProtocolView& view, Clock clock = &std::chrono::steady_clock::now);
    WheelProtocol(const WheelProtocol&) = delete;
    WheelProtocol& operator=(const WheelProtocol&) = delete;

    // "下载-->GO". `block` is the window's transfer block (the last rendering);
    // the download writes its mode byte and restores its trailer, and sends a
    // copy taken now. Returns true when the first report went out.
    bool OnDownload(const ProtocolInputs& values, TransferBlock& block);

    // "点击校准". Writes the calibration trailer into `block` and sends it.
    // Returns true when the first report went out.
    bool OnCalibrate(const ProtocolInputs& values, TransferBlock& block);

    // Sends each picture's block, as it stands, into its slot in the order
    // given, as one download: refused as "下载-->GO" is while another
    // operation runs or without a wheel light, and with "请先选择需要下载的位置!"
    // when the list is empty; progress, log lines, messages, buttons and the
    // 5-second bound as for "下载-->GO". PlanPictures makes the list; at most
    // kSlotBoxes pictures, each slot once. Returns true when the first
    // report went out.
    bool OnDownloadPictures(const std::vector<SlotPicture>& pictures);

    // "恢复出厂设置": ticks "48图模式" and every slot box, downloads the
    // built-in pictures, clears the slot boxes. m_bPictureLoaded is left alone.
    bool OnFactoryReset(const ProtocolInputs& values, TransferBlock& block);

    // "全部选择" / "全部取消".
    void OnSelectAll();
    void OnDeselectAll();

    // One answer code from the device (input report byte 1).
    void OnAnswer(std::uint8_t code);

    // The wheel light was pulled out (the link has already closed itself).
    void OnDeviceRemoved();

    // Stops the running operation after the report in flight: its answer is
    // taken in and nothing more is sent. A download's confirmed pictures
    // stand and the one being sent is unfinished (DownloadEnded); the log
    // says that it stopped, and the operation ends as Stopped. An answer that
    // completes the operation completes it as usual. Nothing when no
    // operation runs. Any thread.
    void RequestStop();

    // Watchdog: ends an operation whose device has not answered for
    // kAnswerTimeout. The owner calls it periodically (the window's timer,
    // wheelctl's wait loop).
    void Tick();

    bool Connected() const;
    Operation CurrentOperation() const;
    Result LastResult() const;
    int Percent() const;  // last percentage shown

    // Waits until no operation runs, at most `timeout`; true when idle.
    bool WaitForIdle(std::chrono::milliseconds timeout);

private:
    struct Report {
        bool send = false;
        std::uint8_t slot = 0;
        std::uint8_t chunk = 0;
        std::array<std::uint8_t, kReportDataBytes> data{};
    };

    enum class Start { Started, Refused };
    // After the busy and connection checks, `prepare` (lock held) makes the
    // list or refuses with its own message.
    using Prepare = std::function<bool(std::vector<SlotPicture>& pictures)>;
    Start StartDownload(const Prepare& prepare, bool factory, Report& first);
    bool PrepareTicked(const ProtocolInputs& values, TransferBlock& block, bool factory,
                       std::vector<SlotPicture>& pictures);  // lock held
    DownloadOutcome Outcome(bool ended) const;  // lock held
    bool EnsureConnected();  // called with the lock released
    bool RefuseWhileBusy(Operation wanted);  // lock held
    Report SendDownloadReport();      // lock held
    Report SendCalibrationReport();   // lock held
    void FinishOperation(Result result);  // lock held
    void StopDownload(bool midPicture);  // lock held
    void ResetCounters();  // lock held
    void Send(const Report& report);

    IReportLink& m_link;
    IProtocolView& m_view;
    Clock m_clock;

    mutable std::mutex m_mutex;
    std::condition_variable m_idle;

    int m_bConnected = 0;
    std::array<std::uint8_t, kSlotBoxes> m_slotTable{};
    std::uint8_t m_nSlotCount = 0;
    std::uint8_t m_nPicture = 0;
    std::uint8_t m_nChunk = 0;
    int m_bDownloading = 0;
    int m_bFactory = 0;
    int m_bCalibrating = 0;
    int m_nAngleSteps = 0;
    int m_nPercent = 0;
    TransferBlock m_sendBlock{};  // the calibration's block
    std::vector<SlotPicture> m_pictures;  // the running download's, in sending order
    std::chrono::steady_clock::time_point m_lastAnswer{};
    Result m_lastResult = Result::None;
    bool m_bStopRequested = false;
};

} // namespace wheel
