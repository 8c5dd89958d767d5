#pragma once
// The main window's side of the wheel light: the HID backend (simulated with
// --simulate), the USB link with its threads, the hot-plug watch, the device
// protocol, and the queue that brings the protocol's effects to the window.
//
// Every effect (log line, message box, progress, buttons, slot boxes) goes
// through one queue and is applied on the window's thread in the order it
// was made, one at a time. While a message box is open the queue holds: a box
// shown before the buttons come back is closed before they do. Handlers drain
// the queue before they return, so a click's effects are visible at once.

#include "app/DeviceOperations.h"
#include "protocol/ProtocolView.h"
#include "protocol/WheelProtocol.h"
#include "record/RecordWriter.h"
#include "usb/HidBackend.h"
#include "usb/UsbLink.h"

#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class CWheelDlg;
class QTimer;

namespace wheel {
class HotplugMonitor;
class SimulatedWheelLight;
}

class WheelDlgDevice final : public CDeviceOperations, public wheel::ILinkHost, public wheel::IProtocolView {
    Q_OBJECT
public:
    WheelDlgDevice(CWheelDlg& window, wheel::Simulation simulation);
    ~WheelDlgDevice() override;

    // The first show: threads, hot-plug watch and the watchdog start.
    void Start();
    // Closing: the threads stop and the device is closed ("关闭设备").
    void Stop();

    wheel::WheelProtocol& Protocol() { return *m_protocol; }
    // The simulated wheel light when the window runs with --simulate.
    wheel::SimulatedWheelLight* Simulated() const;

    // Applies the queued effects on the window's thread.
    void DrainEffects();
    // After a handler of the window started an operation (or refused to):
    // the window's connection flag, its effects, the operation's state.
    void AfterHandler();

    // CDeviceOperations
    bool OperationRunning() const override { return m_bOperationRunning; }
    bool DownloadPictures(const std::vector<wheel::SlotPicture>& pictures, const wheel::SlotNames& names) override;

    // The record of what the wheel light (the simulated one's apart) holds:
    // the names of the pictures the next download started on this thread
    // sends, and the record's file.
    void SetNextNames(wheel::SlotNames names) { m_nextNames = std::move(names); }
    QString RecordPath() const override { return m_record->Path(); }

    // ILinkHost: the link's log lines and the device's answers.
    void AppendLog(const std::string& text, int withTime, int withNewline) override;
    void OnAnswer(std::uint8_t code) override;
    void OnDeviceLost() override;

    // IProtocolView
    void AppendLog(const std::string& text, bool withTime) override;
    void ReplaceLog(const std::string& text) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void SetProgress(int percent) override;
    void EnableOperationButtons(bool enable) override;
    void SetAllSlotBoxes(bool ticked) override;
    void Set48Mode(bool ticked) override;
    void DownloadStarting(const std::vector<std::uint8_t>& slotBytes) override;
    void DownloadEnded(const wheel::DownloadOutcome& outcome) override;

private:
    void Post(std::function<void()> effect);
    void OnDeviceChanged(wheel::DeviceChange change, const QString& path);
    void TakeLoss();
    void DeviceRemoved();
    // Works out OperationRunning() anew and tells when it changed.
    void UpdateOperationState();

    CWheelDlg& m_window;
    std::unique_ptr<wheel::IHidBackend> m_backend;
    std::unique_ptr<wheel::UsbLink> m_link;
    std::unique_ptr<wheel::WheelProtocol> m_protocol;
    wheel::HotplugMonitor* m_hotplug = nullptr;
    QTimer* m_watchdog = nullptr;
    bool m_bStarted = false;
    std::unique_ptr<wheel::RecordWriter> m_record;
    wheel::SlotNames m_nextNames;   // window's thread only
    bool m_bButtonsHeld = false;        // the operation buttons are disabled; window's thread only
    bool m_bOperationRunning = false;   // window's thread only

    std::mutex m_mutex;
    std::deque<std::function<void()>> m_effects;
    bool m_bDraining = false;  // window's thread only
};
