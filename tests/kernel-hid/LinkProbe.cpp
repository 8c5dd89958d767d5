// wheel-link-probe: the editor's device side wired as its window wires it -
// WheelProtocol over UsbLink on the hidapi backend, HotplugMonitor on a Qt event
// loop feeding UsbLink::OnDeviceChange and WheelProtocol::OnDeviceRemoved, and
// the watchdog ticking on a timer - run inside the test guest against the
// kernel's hidraw driver. It downloads a block into the slots named on its
// command line, prints every log line and message box, and after a removal
// keeps watching until the device comes back (at most 15 s), so that the
// return of the wheel light shows in its log.
//
//   wheel-link-probe LABEL...      e.g. wheel-link-probe 1 2 3
//
// Exit status 0 when the download succeeded, or when it failed because the
// device was pulled out and the device came back afterwards.

#include "protocol/ProtocolView.h"
#include "protocol/SlotTable.h"
#include "protocol/WheelProtocol.h"
#include "usb/HidapiBackend.h"
#include "usb/HotplugMonitor.h"
#include "usb/UsbLink.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <mutex>
#include <vector>

namespace {

class Window final : public wheel::ILinkHost, public wheel::IProtocolView {
public:
    void SetProtocol(wheel::WheelProtocol* protocol) { m_protocol = protocol; }
    // Runs on the owner's thread when a read or write found the device gone.
    std::function<void()> onLoss;

    // ILinkHost
    void AppendLog(const std::string& text, int, int withNewline) override
    {
        Print(withNewline ? text + "\n" : text);
    }
    void OnAnswer(std::uint8_t code) override { m_protocol->OnAnswer(code); }
    void OnDeviceLost() override
    {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [this] { onLoss(); }, Qt::QueuedConnection);
    }

    // IProtocolView
    void AppendLog(const std::string& text, bool) override { Print(text + "\n"); }
    void ReplaceLog(const std::string& text) override { Print(text + "\n"); }
    void ShowMessage(const std::string& text, const std::string& caption) override
    {
        Print("[" + caption + "] " + text + "\n");
    }
    void SetProgress(int percent) override { Print(wheel::ProgressText(percent) + "\n"); }
    void EnableOperationButtons(bool) override {}
    void SetAllSlotBoxes(bool) override {}
    void Set48Mode(bool) override {}

private:
    void Print(const std::string& text)
    {
        std::lock_guard lock(m_mutex);
        std::cout << text << std::flush;
    }

    wheel::WheelProtocol* m_protocol = nullptr;
    std::mutex m_mutex;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::vector<int> labels;
    for (int i = 1; i < argc; ++i)
        labels.push_back(std::atoi(argv[i]));
    if (labels.empty())
        labels = {1, 2, 3};

    wheel::HidapiBackend backend;
    Window window;
    wheel::UsbLink link(backend, window);
    wheel::WheelProtocol protocol(link, window);
    window.SetProtocol(&protocol);

    wheel::HotplugMonitor monitor;
    bool removed = false;
    bool back = false;
    window.onLoss = [&] {
        if (link.TakeLoss()) {
            removed = true;
            protocol.OnDeviceRemoved();
        }
    };
    QObject::connect(&monitor, &wheel::HotplugMonitor::deviceChanged, &app,
                     [&](wheel::DeviceChange change, const QString& devnode) {
                         if (link.OnDeviceChange(change, devnode.toStdString())) {
                             removed = true;
                             protocol.OnDeviceRemoved();
                         } else if (change == wheel::DeviceChange::Arrived && removed) {
                             back = true;
                             QTimer::singleShot(100, &app, &QCoreApplication::quit);
                         }
                     });
    const auto mode = monitor.Start(backend);
    std::printf("hot-plug source: %s (%s)\n",
                mode == wheel::HotplugMonitor::Mode::Udev ? "libudev" :
                mode == wheel::HotplugMonitor::Mode::Polling ? "polling" : "other",
                qPrintable(wheel::HotplugMonitor::DefaultUdevSource()));
    std::fflush(stdout);
    link.Start();

    wheel::ProtocolInputs inputs;
    inputs.m_slotChecks = wheel::SlotChecksFromLabels(labels);
    inputs.m_bPictureLoaded = 1;
    wheel::TransferBlock block{};
    for (std::size_t i = 0; i < wheel::kFrameBytes; ++i)
        block[i] = static_cast<std::uint8_t>(i * 13);
    if (!protocol.OnDownload(inputs, block)) {
        link.Stop();
        return 1;
    }

    QTimer tick;  // the window's timer: watchdog, and the end of a download
    QObject::connect(&tick, &QTimer::timeout, &app, [&] {
        protocol.Tick();
        if (protocol.CurrentOperation() == wheel::WheelProtocol::Operation::None && !removed)
            app.quit();
    });
    tick.start(50);
    QTimer::singleShot(15000, &app, &QCoreApplication::quit);
    app.exec();

    monitor.Stop();
    link.Stop();
    if (link.LinkUp())
        link.CloseDevice();
    const auto result = protocol.LastResult();
    std::printf("removed=%d back=%d result=%d\n", removed, back, static_cast<int>(result));
    if (removed)
        return back && result == wheel::WheelProtocol::Result::DeviceRemoved ? 0 : 1;
    return result == wheel::WheelProtocol::Result::Succeeded ? 0 : 1;
}
