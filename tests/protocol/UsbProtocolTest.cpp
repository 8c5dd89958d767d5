// The protocol on the real UsbLink and the simulated wheel light: unplugging
// during a download and a wheel light that stops answering.

#include "FakeWheel.h"

#include "protocol/WheelProtocol.h"
#include "usb/SimulatedWheelLight.h"
#include "usb/UsbLink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <optional>

namespace {

using namespace wheeltest;

// The window in miniature: the link's log and answers, the protocol's effects
// in one recorder, device changes queued to the owner's thread.
class Window final : public wheel::ILinkHost {
public:
    Window()
        : link(light, *this)
        , protocol(link, view, [this] { return std::chrono::steady_clock::time_point(offset.load()); })
    {
        light.WatchChanges([this](wheel::DeviceChange change, const std::string& path) {
            std::lock_guard lock(mutex);
            changes.emplace_back(std::pair(change, path));
        });
        link.Start();
    }
    ~Window() override
    {
        link.Stop();
        light.WatchChanges({});
    }

    void AppendLog(const std::string& text, int withTime, int) override { view.AppendLog(text, withTime != 0); }
    void OnAnswer(std::uint8_t code) override { protocol.OnAnswer(code); }
    void OnDeviceLost() override
    {
        std::lock_guard lock(mutex);
        changes.emplace_back(std::nullopt);
    }

    // What the window's thread does between events; nothing stands for the
    // link's news of a lost device.
    void HandleChanges()
    {
        std::deque<std::optional<std::pair<wheel::DeviceChange, std::string>>> pending;
        {
            std::lock_guard lock(mutex);
            pending.swap(changes);
        }
        for (const auto& change : pending)
            if (change ? link.OnDeviceChange(change->first, change->second) : link.TakeLoss())
                protocol.OnDeviceRemoved();
    }
    bool RunUntilIdle()
    {
        for (int i = 0; i < 500; ++i) {
            HandleChanges();
            protocol.Tick();
            if (protocol.WaitForIdle(std::chrono::milliseconds(10)))
                return true;
        }
        return false;
    }

    RecordingView view;
    wheel::SimulatedWheelLight light;
    std::atomic<std::chrono::steady_clock::duration> offset{};
    wheel::UsbLink link;
    wheel::WheelProtocol protocol;
    std::mutex mutex;
    std::deque<std::optional<std::pair<wheel::DeviceChange, std::string>>> changes;
};

wheel::ProtocolInputs ThreeSlots()
{
    wheel::ProtocolInputs values;
    values.m_bPictureLoaded = 1;
    values.m_slotChecks = wheel::SlotChecksFromLabels({4, 8, 12});
    return values;
}

TEST(UsbProtocol, UnplugAfterTheSecondOfThreePictures)
{
    Window window;
    wheel::SimulatedWheelLight::Faults faults;
    faults.removeAfterReports = 17;  // vanishes on the first report of the third picture
    window.light.SetFaults(faults);
    wheel::TransferBlock block{};
    ASSERT_TRUE(window.protocol.OnDownload(ThreeSlots(), block));
    ASSERT_TRUE(window.RunUntilIdle());

    EXPECT_EQ(window.protocol.LastResult(), wheel::WheelProtocol::Result::DeviceRemoved);
    EXPECT_EQ(window.protocol.Percent(), 66);
    EXPECT_FALSE(window.protocol.Connected());
    const auto events = window.view.Events();
    const auto box = std::find(events.begin(), events.end(),
                               "box[" + std::string(wheel::kApplicationTitle) + "]: 下载失败，USB被拔出!");
    ASSERT_NE(box, events.end());
    EXPECT_EQ(std::vector<std::string>(box + 1, events.end()), (std::vector<std::string>{"buttons: on", "slots: off"}));
    EXPECT_EQ(window.view.With("progress"), (std::vector<std::string>{"progress: 33", "progress: 66"}));
    EXPECT_EQ(window.view.With("log: 设备被拔出").size(), 1u);
    EXPECT_EQ(window.light.ReportsTaken(), 17);

    // Plugged back in, the next download connects again and completes.
    window.light.Plug();
    window.light.SetFaults({});
    window.HandleChanges();
    ASSERT_TRUE(window.protocol.OnDownload(ThreeSlots(), block));
    ASSERT_TRUE(window.RunUntilIdle());
    EXPECT_EQ(window.protocol.LastResult(), wheel::WheelProtocol::Result::Succeeded);
    EXPECT_TRUE(window.light.Slot(12).has_value());
}

TEST(UsbProtocol, ALightGoneWithoutNewsEndsTheDownloadAndIsFoundAgain)
{
    // Pulled out on the 10th report and back before anyone noticed: neither
    // change is announced. The clock stands still, so only the link's own
    // finding can end the download.
    Window window;
    wheel::SimulatedWheelLight::Faults faults;
    faults.removeAfterReports = 10;
    faults.removeUnannounced = true;
    window.light.SetFaults(faults);
    wheel::TransferBlock block{};
    ASSERT_TRUE(window.protocol.OnDownload(ThreeSlots(), block));
    ASSERT_TRUE(window.RunUntilIdle());
    window.light.Plug(false);
    window.light.SetFaults({});

    EXPECT_EQ(window.protocol.LastResult(), wheel::WheelProtocol::Result::DeviceRemoved);
    EXPECT_FALSE(window.protocol.Connected());
    const std::string box = "box[" + std::string(wheel::kApplicationTitle) + "]: 下载失败，USB被拔出!";
    std::vector<std::string> events = window.view.Take();
    const auto progress = std::find(events.begin(), events.end(), "progress: 33");
    ASSERT_NE(progress, events.end());
    EXPECT_EQ(std::vector<std::string>(progress + 1, events.end()),
              (std::vector<std::string>{"log: 设备被拔出", "log: 关闭设备", box, "buttons: on", "slots: off"}));

    // The next download connects afresh and completes.
    ASSERT_TRUE(window.protocol.OnDownload(ThreeSlots(), block));
    ASSERT_TRUE(window.RunUntilIdle());
    EXPECT_EQ(window.protocol.LastResult(), wheel::WheelProtocol::Result::Succeeded);
    EXPECT_EQ(window.view.Events().front(), "log: 尝试连接风火轮");
    EXPECT_EQ(window.light.ReportsTaken(), 24);
}

TEST(UsbProtocol, SilentWheelLightTimesOut)
{
    Window window;
    wheel::SimulatedWheelLight::Faults faults;
    faults.silent = true;
    window.light.SetFaults(faults);
    wheel::ProtocolInputs values = ThreeSlots();
    values.angleText = "30";
    values.m_nAngle = 30;
    wheel::TransferBlock block{};
    ASSERT_TRUE(window.protocol.OnCalibrate(values, block));
    EXPECT_FALSE(window.protocol.WaitForIdle(std::chrono::milliseconds(50)));
    window.offset.store(std::chrono::seconds(6));
    ASSERT_TRUE(window.RunUntilIdle());
    EXPECT_EQ(window.protocol.LastResult(), wheel::WheelProtocol::Result::TimedOut);
    EXPECT_EQ(window.view.With("box").back(),
              "box[" + std::string(wheel::kApplicationTitle) + "]: 校准失败，风火轮没有应答!");
    EXPECT_EQ(window.view.Events().back(), "buttons: on");
}

} // namespace
