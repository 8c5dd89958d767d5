// The hot-plug monitor delivers arrivals and removals on its own thread, from
// a backend that knows them (the simulated light) or from polling; wired to
// UsbLink, pulling the wheel light out mid-transfer closes the link.

#include "FakeHidBackend.h"
#include "usb/HidapiBackend.h"
#include "usb/HotplugMonitor.h"
#include "usb/SimulatedWheelLight.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

namespace wheel::test {
namespace {

using namespace std::chrono_literals;

QCoreApplication& App()
{
    static int argc = 1;
    static char name[] = "usb_hotplug_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

struct News {
    DeviceChange change;
    QString path;
    bool onMonitorThread;
    bool operator==(const News&) const = default;
};

class HotplugMonitorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        QObject::connect(&monitor, &HotplugMonitor::deviceChanged, [this](DeviceChange change, const QString& path) {
            news.push_back({change, path, QThread::currentThread() == monitor.thread()});
        });
    }
    // Runs the event loop until `count` pieces of news came (bounded).
    bool WaitForNews(std::size_t count, int limitMs = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (news.size() < count && timer.elapsed() < limitMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return news.size() >= count;
    }

    HotplugMonitor monitor;
    std::vector<News> news;
};

TEST_F(HotplugMonitorTest, SimulatedLightReportsItsOwnChangesOnTheMonitorsThread)
{
    SimulatedWheelLight light;
    ASSERT_EQ(monitor.Start(light), HotplugMonitor::Mode::Backend);
    std::thread([&] {
        light.Unplug();
        light.Plug();
    }).join();
    ASSERT_TRUE(WaitForNews(2));
    const QString path = SimulatedWheelLight::kPath;
    EXPECT_EQ(news, (std::vector<News>{{DeviceChange::Removed, path, true}, {DeviceChange::Arrived, path, true}}));

    // Detached on Stop: later changes are not delivered.
    monitor.Stop();
    light.Unplug();
    QCoreApplication::processEvents();
    EXPECT_EQ(news.size(), 2u);
}

TEST_F(HotplugMonitorTest, PollingComparesThePresentDevices)
{
    FakeHidBackend backend;
    const HidDeviceInfo mouse{"/dev/hidraw0", 0x046d, 0xc077, ""};
    const HidDeviceInfo wheel{"/dev/hidraw2", kVendorId, kProductId, ""};
    backend.SetDevices({mouse});
    ASSERT_EQ(monitor.Start(backend, "udev", true), HotplugMonitor::Mode::Polling);
    backend.SetDevices({mouse, wheel});
    ASSERT_TRUE(WaitForNews(1));
    backend.SetDevices({wheel});
    ASSERT_TRUE(WaitForNews(2));
    EXPECT_EQ(news, (std::vector<News>{{DeviceChange::Arrived, "/dev/hidraw2", true},
                                       {DeviceChange::Removed, "/dev/hidraw0", true}}));
}

TEST_F(HotplugMonitorTest, TheSystemIsWatchedThroughUdevOrByPolling)
{
    HidapiBackend backend;
    const auto mode = monitor.Start(backend);
    RecordProperty("mode", mode == HotplugMonitor::Mode::Udev ? "udev" : "polling");
    EXPECT_TRUE(mode == HotplugMonitor::Mode::Udev || mode == HotplugMonitor::Mode::Polling);
    QCoreApplication::processEvents();
    monitor.Stop();
    EXPECT_EQ(monitor.CurrentMode(), HotplugMonitor::Mode::None);
}

TEST_F(HotplugMonitorTest, UdevSourceComesFromTheEnvironment)
{
    qunsetenv("WHEEL_UDEV_SOURCE");
    const QString automatic = HotplugMonitor::DefaultUdevSource();
    EXPECT_TRUE(automatic == "udev" || automatic == "kernel");
    qputenv("WHEEL_UDEV_SOURCE", "kernel");
    EXPECT_EQ(HotplugMonitor::DefaultUdevSource(), "kernel");
    qputenv("WHEEL_UDEV_SOURCE", "udev");
    EXPECT_EQ(HotplugMonitor::DefaultUdevSource(), "udev");
    qputenv("WHEEL_UDEV_SOURCE", "nonsense");
    EXPECT_EQ(HotplugMonitor::DefaultUdevSource(), automatic);
    qunsetenv("WHEEL_UDEV_SOURCE");
}

TEST_F(HotplugMonitorTest, PullingTheLightOutMidTransferClosesTheLink)
{
    SimulatedWheelLight light;
    RecordingHost host;
    UsbLink::Timing timing;
    timing.readPoll = 20ms;
    timing.writeAtOnce = 5s;
    UsbLink link(light, host, timing);
    bool failedOperation = false;
    QObject receiver;  // ends the connection with this test
    QObject::connect(&monitor, &HotplugMonitor::deviceChanged, &receiver, [&](DeviceChange change, const QString& path) {
        if (link.OnDeviceChange(change, path.toStdString()))
            failedOperation = true;
    });
    monitor.Start(light);
    link.Start();
    ASSERT_TRUE(link.ConnectDevice());
    light.SetFaults({.removeAfterReports = 2});
    host.ReactToAnswers([&](std::uint8_t code) {
        if (code == AnswerNext)
            link.SendReport(1, 1, Chunk(1));
    });
    host.Clear();
    link.SendReport(1, 0, Chunk(0));
    ASSERT_TRUE(WaitForNews(1));
    EXPECT_TRUE(failedOperation);
    EXPECT_FALSE(link.LinkUp());
    EXPECT_EQ(host.Texts(), (std::vector<std::string>{"设备被拔出", "关闭设备"}));
    monitor.Stop();
    link.Stop();
}

} // namespace
} // namespace wheel::test
