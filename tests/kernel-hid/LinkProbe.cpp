// wheel-link-probe: the editor's USB link as its window drives it (UsbLink on
// the hidapi backend, HotplugMonitor on a Qt event loop), run inside the test
// guest against the kernel's hidraw driver. It connects, sends blocks of eight
// reports as the answers ask for them, and keeps watching the device after an
// unplug until it comes back, printing every log line of the link. A command
// that exits when its operation ends cannot show the return of the device;
// this one stays until it has seen it (or REPORTS reports went through, or 15 s
// passed).
//
//   wheel-link-probe REPORTS

#include "usb/HidapiBackend.h"
#include "usb/HotplugMonitor.h"
#include "usb/UsbLink.h"

#include <QCoreApplication>
#include <QTimer>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>

namespace {

class Host final : public wheel::ILinkHost {
public:
    explicit Host(int reports) : m_reports(reports) {}

    void SetLink(wheel::UsbLink* link) { m_link = link; }

    void AppendLog(const std::string& text, int, int withNewline) override
    {
        std::lock_guard lock(m_printMutex);
        std::cout << text << (withNewline ? "\n" : "") << std::flush;
    }

    // On the reader thread: each answer asks for the next report.
    void OnAnswer(std::uint8_t code) override
    {
        const int answered = ++m_answered;
        {
            std::lock_guard lock(m_printMutex);
            std::printf("answer %d: %02x\n", answered, code);
            std::fflush(stdout);
        }
        if (answered < m_reports)
            Send(answered);
        else
            m_done = true;
    }

    void Send(int n)
    {
        std::array<std::uint8_t, wheel::kReportDataBytes> data{};
        data.fill(static_cast<std::uint8_t>(n));
        m_link->SendReport(static_cast<std::uint8_t>(n / 8 + 1), static_cast<std::uint8_t>(n % 8), data);
    }

    bool Done() const { return m_done; }

private:
    const int m_reports;
    wheel::UsbLink* m_link = nullptr;
    std::mutex m_printMutex;
    std::atomic<int> m_answered{0};
    std::atomic<bool> m_done{false};
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int reports = argc > 1 ? std::atoi(argv[1]) : 24;

    wheel::HidapiBackend backend;
    Host host(reports);
    wheel::UsbLink link(backend, host);
    host.SetLink(&link);

    wheel::HotplugMonitor monitor;
    bool removed = false;
    bool back = false;
    QObject::connect(&monitor, &wheel::HotplugMonitor::deviceChanged, &app,
                     [&](wheel::DeviceChange change, const QString& devnode) {
                         const bool wasOurs = link.OnDeviceChange(change, devnode.toStdString());
                         if (change == wheel::DeviceChange::Removed && wasOurs)
                             removed = true;
                         if (change == wheel::DeviceChange::Arrived && removed) {
                             back = true;
                             QTimer::singleShot(100, &app, &QCoreApplication::quit);
                         }
                     });
    const auto mode = monitor.Start(backend);
    std::printf("hot-plug source: %s (%s)\n",
                mode == wheel::HotplugMonitor::Mode::Udev ? "libudev" :
                mode == wheel::HotplugMonitor::Mode::Polling ? "polling" : "other",
                qPrintable(wheel::HotplugMonitor::DefaultUdevSource()));

    link.Start();
    if (!link.ConnectDevice()) {
        link.Stop();
        return 1;
    }
    host.Send(0);

    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &app, [&] {
        if (host.Done() && !removed)
            app.quit();
    });
    check.start(20);
    QTimer::singleShot(15000, &app, &QCoreApplication::quit);
    app.exec();

    monitor.Stop();
    link.Stop();
    if (link.LinkUp())
        link.CloseDevice();
    std::printf("removed=%d back=%d done=%d\n", removed, back, host.Done());
    return (host.Done() && !removed) || (removed && back) ? 0 : 1;
}
