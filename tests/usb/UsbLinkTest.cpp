// UsbLink against a scripted backend: the log of connecting and closing, the
// refusals and failures of SendReport, what the reader accepts, the reaction
// to hot-plug news, and that the threads neither stall nor hang.

#include "FakeHidBackend.h"
#include "usb/HidapiBackend.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace wheel::test {
namespace {

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;

const HidDeviceInfo kWheel{"/dev/hidraw2", kVendorId, kProductId, "wheel"};
const HidDeviceInfo kSecondWheel{"/dev/hidraw5", kVendorId, kProductId, "wheel"};
const HidDeviceInfo kOtherProduct{"/dev/hidraw1", kVendorId, 0x5751, "other"};
const HidDeviceInfo kOtherVendor{"/dev/hidraw0", 0x046d, kProductId, "mouse"};

// Tests wait generously for a write's result, so that a slow (sanitised) run
// still sees every write complete "at once".
UsbLink::Timing TestTiming()
{
    UsbLink::Timing timing;
    timing.readPoll = 20ms;
    timing.writeAtOnce = 5s;
    return timing;
}

class UsbLinkTest : public ::testing::Test {
protected:
    FakeHidBackend backend;
    RecordingHost host;
    std::unique_ptr<UsbLink> link = std::make_unique<UsbLink>(backend, host, TestTiming());
};

TEST_F(UsbLinkTest, ConnectLogsEachOutcome)
{
    // Nothing there (and devices with only one matching identifier are not it).
    backend.SetDevices({kOtherVendor, kOtherProduct});
    EXPECT_FALSE(link->ConnectDevice());
    EXPECT_EQ(host.Texts(), (Texts{"尝试连接风火轮", "风火轮连接失败"}));
    EXPECT_FALSE(link->LinkUp());
    EXPECT_EQ(link->DevicePath(), "");
    EXPECT_TRUE(backend.Opened().empty());

    // Found: the first wheel light in enumeration order, opened twice.
    host.Clear();
    backend.SetDevices({kOtherVendor, kOtherProduct, kWheel, kSecondWheel});
    EXPECT_TRUE(link->ConnectDevice());
    EXPECT_EQ(host.Texts(), (Texts{"尝试连接风火轮", "风火轮已经找到", "读访问打开“驰光”成功", "写访问打开“驰光”成功"}));
    for (const auto& line : host.Lines())
        EXPECT_EQ(line.withTime + line.withNewline, 2) << line.text;
    EXPECT_TRUE(link->LinkUp());
    EXPECT_EQ(link->DevicePath(), kWheel.path);
    EXPECT_EQ(backend.Opened().size(), 2u);

    // A later failed search keeps the wheel light's path, so that its return
    // is still recognised (and an unrelated device's is not mistaken for it).
    link->CloseDevice();
    backend.SetDevices({kOtherVendor});
    EXPECT_FALSE(link->ConnectDevice());
    EXPECT_EQ(link->DevicePath(), kWheel.path);
}

TEST_F(UsbLinkTest, BothOpensFailingLeaveTheLinkUpWithInvalidHandles)
{
    backend.SetDevices({kWheel});
    backend.ScriptOpens({OpenFailure::Other, OpenFailure::Other});
    link->Start();
    EXPECT_TRUE(link->ConnectDevice());
    EXPECT_TRUE(link->LinkUp());
    ASSERT_TRUE(host.WaitForLines(5));
    EXPECT_EQ(host.Texts(), (Texts{"尝试连接风火轮", "风火轮已经找到", "读访问打开设备失败", "写访问打开设备失败",
                                   "无效的读报告句柄，可能是打开设备时失败"}));
    EXPECT_FALSE(link->SendReport(1, 0, Chunk(0)));
    EXPECT_EQ(host.Texts().back(), "无效的写报告句柄，可能是打开设备时失败");
    EXPECT_TRUE(backend.Written().empty());
    EXPECT_EQ(backend.Reads(), 0);
    // The reader said it once for this connection, and keeps quiet.
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(host.Texts().size(), 6u);
}

TEST_F(UsbLinkTest, MissingPermissionIsExplainedOnce)
{
    backend.SetDevices({kWheel});
    backend.ScriptOpens({OpenFailure::PermissionDenied, OpenFailure::PermissionDenied});
    EXPECT_TRUE(link->ConnectDevice());
    EXPECT_EQ(host.Texts(), (Texts{"尝试连接风火轮", "风火轮已经找到", "读访问打开设备失败", kPermissionHint,
                                   "写访问打开设备失败"}));
    EXPECT_NE(std::string(kPermissionHint).find("70-wheel-light.rules"), std::string::npos);
}

TEST_F(UsbLinkTest, CloseAlwaysLogsAndClosesOnlyOpenHandles)
{
    link->CloseDevice();
    EXPECT_EQ(host.Texts(), (Texts{"关闭设备"}));
    EXPECT_TRUE(backend.Closed().empty());

    backend.SetDevices({kWheel});
    backend.ScriptOpens({OpenFailure::None, OpenFailure::Other});
    link->ConnectDevice();
    host.Clear();
    link->CloseDevice();
    EXPECT_EQ(host.Texts(), (Texts{"关闭设备"}));
    EXPECT_EQ(backend.Closed(), backend.Opened());
    EXPECT_FALSE(link->LinkUp());
}

TEST_F(UsbLinkTest, SendReportWritesOneReportOrRefuses)
{
    link->Start();
    EXPECT_FALSE(link->SendReport(1, 0, Chunk(0x11)));
    EXPECT_EQ(host.Texts(), (Texts{"设备未找到"}));
    EXPECT_TRUE(backend.Written().empty());

    backend.SetDevices({kWheel});
    link->ConnectDevice();
    host.Clear();
    EXPECT_TRUE(link->SendReport(7, 3, Chunk(0x5A)));
    const auto written = backend.Written();
    ASSERT_EQ(written.size(), 1u);
    ASSERT_EQ(written[0].size(), 65u);
    EXPECT_EQ(written[0][0], 0);
    EXPECT_EQ(written[0][1], 7);
    EXPECT_EQ(written[0][2], 3);
    EXPECT_TRUE(std::all_of(written[0].begin() + 3, written[0].end(), [](auto b) { return b == 0x5A; }));
    EXPECT_TRUE(host.Texts().empty());
}

TEST_F(UsbLinkTest, WriteErrorsAreLoggedWithTheirCode)
{
    backend.SetDevices({kWheel});
    link->Start();
    link->ConnectDevice();
    host.Clear();

    backend.ScriptWrites({kWriteErrorGeneralFailure, kWriteErrorInvalidFunction});
    EXPECT_FALSE(link->SendReport(1, 0, Chunk(0)));
    EXPECT_EQ(host.Lines(), (std::vector<RecordingHost::Line>{{"发送失败，错误代码：31", 1, 1}}));

    host.Clear();
    EXPECT_FALSE(link->SendReport(1, 0, Chunk(0)));
    EXPECT_EQ(host.Lines(), (std::vector<RecordingHost::Line>{{"发送失败，错误代码：1", 1, 1},
                                                              {"该设备不支持WriteFile函数。", 0, 1}}));

    // A failed write does not leave the link believing it is still sending.
    host.Clear();
    EXPECT_TRUE(link->SendReport(1, 0, Chunk(0)));
    EXPECT_TRUE(host.Texts().empty());
}

TEST_F(UsbLinkTest, ReportWhileAWriteHangsIsRefusedAfterABoundedWait)
{
    UsbLink::Timing timing = TestTiming();
    timing.writeAtOnce = 10ms;
    timing.sendWait = 100ms;
    link = std::make_unique<UsbLink>(backend, host, timing);
    backend.SetDevices({kWheel});
    link->Start();
    link->ConnectDevice();
    host.Clear();

    backend.HoldWrites(true);
    EXPECT_TRUE(link->SendReport(1, 0, Chunk(0)));  // handed over, still pending
    EXPECT_FALSE(link->SendReport(1, 1, Chunk(0)));
    EXPECT_EQ(host.Texts(), (Texts{"数据正在发送中，暂时不能发送"}));
    backend.HoldWrites(false);
    link->Stop();
    EXPECT_EQ(backend.Written().size(), 1u);

    // A pending write that fails later is still reported.
    link->Start();
    host.Clear();
    backend.HoldWrites(true);
    backend.ScriptWrites({kWriteErrorGeneralFailure});
    EXPECT_TRUE(link->SendReport(1, 2, Chunk(0)));
    backend.HoldWrites(false);
    ASSERT_TRUE(host.WaitForLines(1));
    EXPECT_EQ(host.Texts(), (Texts{"发送失败，错误代码：31"}));
}

TEST_F(UsbLinkTest, AnswersThatOvertakeTheWriteDoNotStallTheExchange)
{
    // Every write queues its answer before it returns and then takes a while:
    // the reader sends the next report while the previous write is still
    // being completed.
    backend.SetDevices({kWheel});
    backend.AnswerEveryWrite(AnswerNext, 5ms);
    constexpr int kReports = 24;
    std::atomic<int> sent{1};
    host.ReactToAnswers([&](std::uint8_t) {
        if (sent < kReports) {
            const int n = sent++;
            link->SendReport(1, static_cast<std::uint8_t>(n % 8), Chunk(static_cast<std::uint8_t>(n)));
        }
    });
    link->Start();
    link->ConnectDevice();
    host.Clear();
    EXPECT_TRUE(link->SendReport(1, 0, Chunk(0)));
    const bool allAnswered = host.WaitForAnswers(kReports);
    link->Stop();  // the reaction uses this test's locals
    ASSERT_TRUE(allAnswered);
    EXPECT_EQ(backend.Written().size(), static_cast<std::size_t>(kReports));
    EXPECT_TRUE(host.Texts().empty()) << host.Texts().front();
}

TEST_F(UsbLinkTest, OnlyWellFormedReportsReachTheProtocol)
{
    backend.SetDevices({kWheel});
    link->Start();
    link->ConnectDevice();
    host.Clear();
    backend.QueueInput(Answer(AnswerNext, 0, 10));   // short
    backend.QueueInput(Answer(AnswerNext, 1));       // another report ID
    backend.QueueInput(Answer(AnswerNext, 0, 66));   // too long
    backend.QueueInput(Answer(0x55));                // unknown code: the protocol ignores it
    backend.QueueInput(Answer(AnswerDone));
    ASSERT_TRUE(host.WaitForAnswers(2));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(host.Answers(), (std::vector<std::uint8_t>{0x55, AnswerDone}));
    EXPECT_TRUE(host.Texts().empty());
}

TEST_F(UsbLinkTest, HotplugNewsOfTheWheelLightOnly)
{
    // Before any search nothing is the wheel light.
    EXPECT_FALSE(link->OnDeviceChange(DeviceChange::Removed, ""));
    EXPECT_FALSE(link->OnDeviceChange(DeviceChange::Removed, kWheel.path));

    backend.SetDevices({kWheel});
    link->Start();
    link->ConnectDevice();
    host.Clear();

    // Another device comes and goes: nothing.
    EXPECT_FALSE(link->OnDeviceChange(DeviceChange::Arrived, kOtherVendor.path));
    EXPECT_FALSE(link->OnDeviceChange(DeviceChange::Removed, kOtherVendor.path));
    EXPECT_TRUE(host.Texts().empty());
    EXPECT_TRUE(link->LinkUp());

    // The wheel light is pulled out while idle.
    ASSERT_TRUE(backend.WaitForReadPending(2s));
    EXPECT_TRUE(link->OnDeviceChange(DeviceChange::Removed, kWheel.path));
    EXPECT_EQ(host.Texts(), (Texts{"设备被拔出", "关闭设备"}));
    EXPECT_FALSE(link->LinkUp());
    EXPECT_EQ(backend.Closed().size(), 2u);
    EXPECT_FALSE(backend.ClosedWhileBusy());

    // ... and plugged back in: said, but not reconnected.
    host.Clear();
    const int enumerations = backend.Enumerations();
    EXPECT_FALSE(link->OnDeviceChange(DeviceChange::Arrived, kWheel.path));
    EXPECT_EQ(host.Texts(), (Texts{"设备已连接"}));
    EXPECT_FALSE(link->LinkUp());
    EXPECT_EQ(backend.Enumerations(), enumerations);

    // Pulled out again while down: said, nothing to close.
    host.Clear();
    EXPECT_TRUE(link->OnDeviceChange(DeviceChange::Removed, kWheel.path));
    EXPECT_EQ(host.Texts(), (Texts{"设备被拔出"}));

    // The next search opens fresh handles.
    const auto before = backend.Opened();
    link->ConnectDevice();
    const auto after = backend.Opened();
    ASSERT_EQ(after.size(), before.size() + 2);
    EXPECT_TRUE(std::find(before.begin(), before.end(), after.back()) == before.end());
}

TEST_F(UsbLinkTest, StoppingAndClosingNeverHangOnAPendingRead)
{
    UsbLink::Timing timing = TestTiming();
    timing.readPoll = 200ms;
    link = std::make_unique<UsbLink>(backend, host, timing);
    backend.SetDevices({kWheel});
    link->Start();
    link->ConnectDevice();
    ASSERT_TRUE(backend.WaitForReadPending(2s));
    link->CloseDevice();
    EXPECT_FALSE(backend.ClosedWhileBusy());

    link->ConnectDevice();
    ASSERT_TRUE(backend.WaitForReadPending(2s));
    link->Stop();
    link->Stop();
    // Started again, and destroyed while a read is pending.
    link->Start();
    ASSERT_TRUE(backend.WaitForReadPending(2s));
    link.reset();
    EXPECT_FALSE(backend.ClosedWhileBusy());
}

TEST_F(UsbLinkTest, StoppingFromInsideAnAnswerEndsTheThreads)
{
    backend.SetDevices({kWheel});
    UsbLink* raw = link.get();
    host.ReactToAnswers([raw](std::uint8_t) { raw->Stop(); });
    link->Start();
    link->ConnectDevice();
    backend.QueueInput(Answer(AnswerNext));
    backend.QueueInput(Answer(AnswerDone));
    ASSERT_TRUE(host.WaitForAnswers(1));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(host.Answers().size(), 1u);  // the reader has ended
    link.reset();
}

TEST_F(UsbLinkTest, ADeviceFoundGoneIsToldOnceAsAnUnplugAndFoundAgain)
{
    backend.SetDevices({kWheel});
    link->Start();
    link->ConnectDevice();
    host.Clear();

    // A write and then every read find it gone; no removal notice came.
    backend.ScriptWrites({kWriteErrorNotConnected});
    EXPECT_FALSE(link->SendReport(1, 0, Chunk(0)));
    backend.FailReads(true);
    ASSERT_TRUE(host.WaitForLosses(1));
    EXPECT_FALSE(host.WaitForLosses(2, 250ms));  // told once, whatever fails after
    EXPECT_TRUE(host.Texts().empty());  // no "发送失败" of its own
    EXPECT_TRUE(link->TakeLoss());
    EXPECT_FALSE(link->LinkUp());
    EXPECT_FALSE(link->TakeLoss());
    // Its removal notice, should it come late, is old news; an arrival is not.
    EXPECT_FALSE(link->OnDeviceChange(DeviceChange::Removed, kWheel.path));
    EXPECT_FALSE(link->OnDeviceChange(DeviceChange::Arrived, kWheel.path));
    EXPECT_EQ(host.Texts(), (Texts{"设备被拔出", "关闭设备", "设备已连接"}));

    // Back: a fresh connection works; when its removal notice comes before
    // the loss is taken, the loss is not told again.
    backend.FailReads(false);
    ASSERT_TRUE(link->ConnectDevice());
    backend.QueueInput(Answer(AnswerNext));
    ASSERT_TRUE(host.WaitForAnswers(1));
    EXPECT_TRUE(link->SendReport(1, 1, Chunk(0)));
    host.Clear();
    backend.FailReads(true);
    ASSERT_TRUE(host.WaitForLosses(2));
    EXPECT_TRUE(link->OnDeviceChange(DeviceChange::Removed, kWheel.path));
    EXPECT_FALSE(link->TakeLoss());
    EXPECT_EQ(host.Texts(), (Texts{"设备被拔出", "关闭设备"}));
}

TEST(HidapiErrors, TextsMapToCodesThatKeepTheirMeaning)
{
    EXPECT_EQ(ErrnoFromHidapiText(L"Permission denied"), EACCES);
    EXPECT_EQ(ErrnoFromHidapiText(L"Failed to open a device with path '/dev/hidraw3': Permission denied"), EACCES);
    EXPECT_EQ(ErrnoFromHidapiText(L"Input/output error"), EIO);
    EXPECT_EQ(ErrnoFromHidapiText(L"something else"), 0);
    EXPECT_EQ(ErrnoFromHidapiText(L""), 0);

    EXPECT_EQ(WriteErrorCodeFromErrno(EINVAL), kWriteErrorInvalidFunction);
    EXPECT_EQ(WriteErrorCodeFromErrno(ENOSYS), kWriteErrorInvalidFunction);
    EXPECT_EQ(WriteErrorCodeFromErrno(EIO), kWriteErrorGeneralFailure);
    EXPECT_EQ(WriteErrorCodeFromErrno(EPIPE), kWriteErrorGeneralFailure);
    EXPECT_EQ(WriteErrorCodeFromErrno(ENODEV), kWriteErrorNotConnected);
    EXPECT_EQ(WriteErrorCodeFromErrno(0), kWriteErrorGeneralFailure);
}

} // namespace
} // namespace wheel::test
