// The simulated wheel light: answers as the device does, keeps what it got per
// slot, shows it back as the wheel would, and misbehaves on request. Driven
// through UsbLink as the editor drives a real one.

#include "FakeHidBackend.h"
#include "picture/RenderWheel.h"
#include "usb/SimulatedWheelLight.h"

#include <opencv2/imgproc.hpp>

#include <gtest/gtest.h>

namespace wheel::test {
namespace {

using namespace std::chrono_literals;
using Direction = SimulatedWheelLight::Exchange::Direction;

TransferBlock PatternBlock(std::uint8_t seed, std::uint8_t marker = MarkerPicture)
{
    TransferBlock block{};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(seed + 7 * i);
    block[kTrailerMarker] = marker;
    return block;
}

std::span<const std::uint8_t, kChunkBytes> ChunkOf(const TransferBlock& block, int chunk)
{
    return std::span<const std::uint8_t, kChunkBytes>(block.data() + kChunkBytes * chunk, kChunkBytes);
}

// Sends blocks into slots the way the download does: the first report from
// here, each further one from the answer to the one before.
class Sender {
public:
    Sender(UsbLink& link, RecordingHost& host)
        : m_link(link)
        , m_host(host)
    {
        host.ReactToAnswers([this](std::uint8_t code) { OnAnswer(code); });
    }
    // The reader thread calls into this object: stop it first.
    ~Sender()
    {
        m_link.Stop();
        m_host.ReactToAnswers({});
    }

    void Send(std::vector<std::pair<std::uint8_t, TransferBlock>> blocks)
    {
        {
            std::lock_guard lock(m_mutex);
            m_blocks = std::move(blocks);
            m_nBlock = 0;
            m_nChunk = 0;
            m_bDone = false;
        }
        SendCurrent();
    }
    bool WaitDone(std::chrono::milliseconds limit = 10s)
    {
        std::unique_lock lock(m_mutex);
        return m_done.wait_for(lock, limit, [&] { return m_bDone; });
    }

private:
    void SendCurrent()
    {
        std::uint8_t slot;
        int chunk;
        TransferBlock block;
        {
            std::lock_guard lock(m_mutex);
            slot = m_blocks[m_nBlock].first;
            block = m_blocks[m_nBlock].second;
            chunk = m_nChunk;
        }
        m_link.SendReport(slot, static_cast<std::uint8_t>(chunk), ChunkOf(block, chunk));
    }
    void OnAnswer(std::uint8_t code)
    {
        {
            std::lock_guard lock(m_mutex);
            if (code == AnswerNext && m_nChunk < 7) {
                ++m_nChunk;
            } else if (code == AnswerDone && m_nChunk == 7) {
                m_nChunk = 0;
                if (++m_nBlock == m_blocks.size()) {
                    m_bDone = true;
                    m_done.notify_all();
                    return;
                }
            } else {
                return;
            }
        }
        SendCurrent();
    }

    UsbLink& m_link;
    RecordingHost& m_host;
    std::mutex m_mutex;
    std::condition_variable m_done;
    std::vector<std::pair<std::uint8_t, TransferBlock>> m_blocks;
    std::size_t m_nBlock = 0;
    int m_nChunk = 0;
    bool m_bDone = false;
};

class SimulatedWheelLightTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UsbLink::Timing timing;
        timing.readPoll = 20ms;
        timing.writeAtOnce = 5s;
        link = std::make_unique<UsbLink>(light, host, timing);
        link->Start();
    }

    SimulatedWheelLight light;
    RecordingHost host;
    std::unique_ptr<UsbLink> link;
};

TEST_F(SimulatedWheelLightTest, ConnectsLikeAWheelLight)
{
    EXPECT_TRUE(link->ConnectDevice());
    EXPECT_EQ(host.Texts(), (std::vector<std::string>{"尝试连接风火轮", "风火轮已经找到", "读访问打开“驰光”成功",
                                                     "写访问打开“驰光”成功"}));
    EXPECT_EQ(link->DevicePath(), SimulatedWheelLight::kPath);
    EXPECT_TRUE(light.Enumerate(0x0483, 0x5751).empty());
}

TEST_F(SimulatedWheelLightTest, KeepsEachSlotsBlockAndAnswersEachChunk)
{
    light.SetFaults({.latency = 2ms});
    ASSERT_TRUE(link->ConnectDevice());
    host.Clear();
    const TransferBlock first = PatternBlock(1);
    TransferBlock last = PatternBlock(2, MarkerLastPicture);
    Sender sender(*link, host);
    sender.Send({{1, first}, {0, last}});
    ASSERT_TRUE(sender.WaitDone());

    EXPECT_EQ(light.Slot(1), first);
    EXPECT_EQ(light.Slot(0), last);
    EXPECT_FALSE(light.Slot(2).has_value());
    EXPECT_FALSE(light.Calibration().has_value());
    EXPECT_TRUE(host.Texts().empty());

    // The exchange, report by report: out, then its answer.
    const auto transcript = light.Transcript();
    ASSERT_EQ(transcript.size(), 32u);
    for (std::size_t i = 0; i < transcript.size(); i += 2) {
        const auto& out = transcript[i];
        const auto& in = transcript[i + 1];
        const int chunk = static_cast<int>((i / 2) % 8);
        ASSERT_EQ(out.direction, Direction::Out);
        ASSERT_EQ(in.direction, Direction::In);
        ASSERT_EQ(out.bytes.size(), 65u);
        ASSERT_EQ(in.bytes.size(), 65u);
        EXPECT_EQ(out.bytes[0], 0);
        EXPECT_EQ(out.bytes[1], i < 16 ? 1 : 0);
        EXPECT_EQ(out.bytes[2], chunk);
        EXPECT_EQ(in.bytes[0], 0);
        EXPECT_EQ(in.bytes[1], chunk == 7 ? AnswerDone : AnswerNext);
    }

    // A calibration is answered the same way and kept apart from the slots.
    const TransferBlock calibration = PatternBlock(3, MarkerCalibration);
    sender.Send({{1, calibration}});
    ASSERT_TRUE(sender.WaitDone());
    EXPECT_EQ(light.Calibration(), calibration);
    EXPECT_EQ(light.Slot(1), first);
}

TEST_F(SimulatedWheelLightTest, MisbehavingAnswersNeverReachTheProtocol)
{
    ASSERT_TRUE(link->ConnectDevice());
    const auto block = PatternBlock(4);
    struct Case {
        SimulatedWheelLight::Faults faults;
        std::vector<std::uint8_t> expected;
    };
    const std::vector<Case> cases = {
        {{.silent = true}, {}},
        {{.wrongReportId = true}, {}},
        {{.shortReport = true}, {}},
        {{.answerCode = 0x55}, {0x55}},
    };
    for (const auto& c : cases) {
        host.Clear();
        light.SetFaults(c.faults);
        EXPECT_TRUE(link->SendReport(1, 0, ChunkOf(block, 0)));
        // A good answer afterwards shows that the bad one was passed over.
        light.InjectInput(Answer(AnswerDone));
        ASSERT_TRUE(host.WaitForAnswers(c.expected.size() + 1));
        auto expected = c.expected;
        expected.push_back(AnswerDone);
        EXPECT_EQ(host.Answers(), expected);
        EXPECT_TRUE(host.Texts().empty());
    }
}

TEST_F(SimulatedWheelLightTest, VanishesAfterTheNthReportAndComesBack)
{
    std::mutex mutex;
    std::vector<std::pair<DeviceChange, std::string>> news;
    light.WatchChanges([&](DeviceChange change, const std::string& path) {
        std::lock_guard lock(mutex);
        news.emplace_back(change, path);
    });
    ASSERT_TRUE(link->ConnectDevice());
    light.SetFaults({.removeAfterReports = 3});
    Sender sender(*link, host);
    sender.Send({{5, PatternBlock(5)}});
    EXPECT_FALSE(sender.WaitDone(300ms));
    EXPECT_EQ(light.ReportsTaken(), 3);
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(news.size(), 1u);
        EXPECT_EQ(news[0].first, DeviceChange::Removed);
        EXPECT_EQ(news[0].second, SimulatedWheelLight::kPath);
    }
    EXPECT_TRUE(light.Enumerate(kVendorId, kProductId).empty());
    EXPECT_FALSE(light.Slot(5).has_value());

    // The owner hears of it on its own thread.
    host.Clear();
    EXPECT_TRUE(link->OnDeviceChange(DeviceChange::Removed, SimulatedWheelLight::kPath));
    EXPECT_EQ(host.Texts(), (std::vector<std::string>{"设备被拔出", "关闭设备"}));

    light.Plug();
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(news.size(), 2u);
        EXPECT_EQ(news[1].first, DeviceChange::Arrived);
    }
    light.SetFaults({});
    ASSERT_TRUE(link->ConnectDevice());
    sender.Send({{5, PatternBlock(5)}});
    ASSERT_TRUE(sender.WaitDone());
    EXPECT_EQ(light.Slot(5), PatternBlock(5));
    light.WatchChanges({});
}

TEST(SimulatedWheelLight, HandlesDieWithTheDevice)
{
    SimulatedWheelLight light;
    const HidHandle handle = light.Open(SimulatedWheelLight::kPath, nullptr);
    ASSERT_NE(handle, kInvalidHandle);
    OpenFailure why = OpenFailure::None;
    EXPECT_EQ(light.Open("/dev/hidraw0", &why), kInvalidHandle);
    EXPECT_EQ(why, OpenFailure::NotFound);

    light.Unplug();
    light.Plug();
    std::array<std::uint8_t, 65> report{};
    int code = 0;
    EXPECT_EQ(light.Write(handle, report, &code), -1);
    EXPECT_EQ(code, kWriteErrorNotConnected);
    EXPECT_EQ(light.Read(handle, report, 0), -1);

    light.SetFaults({.openFailure = OpenFailure::PermissionDenied});
    EXPECT_EQ(light.Open(SimulatedWheelLight::kPath, &why), kInvalidHandle);
    EXPECT_EQ(why, OpenFailure::PermissionDenied);
}

// The slot's picture as the turning wheel shows it: a black 312 x 312
// picture with each lit LED drawn as a white dot at the point the rendering
// sampled it from. Black without a block.
cv::Mat ShownSlot(const SimulatedWheelLight& light, std::uint8_t slot, int dotRadius = 1)
{
    cv::Mat picture(kWorkSize, kWorkSize, CV_8UC3, cv::Scalar(0, 0, 0));
    const std::optional<TransferBlock> block = light.Slot(slot);
    if (!block)
        return picture;
    const WheelFrame frame = FrameOfBlock(*block);
    for (int entry = 0; entry < kColumns; ++entry) {
        for (int led = 0; led < kLeds; ++led) {
            if (!LedIsLight(frame, entry, led))
                continue;
            const cv::Point p = SamplePoint(LedRadius(led), EntryAngle(entry));
            if (dotRadius <= 0)
                picture.at<cv::Vec3b>(p.y, p.x) = cv::Vec3b(255, 255, 255);
            else
                cv::circle(picture, p, dotRadius, cv::Scalar(255, 255, 255), cv::FILLED, cv::LINE_8);
        }
    }
    return picture;
}

TEST(SimulatedWheelLight, ShowsASlotAsTheWheelWould)
{
    // A picture with light and dark areas, as the editor renders it.
    cv::Mat work(kWorkSize, kWorkSize, CV_8UC1, cv::Scalar(0));
    cv::circle(work, {kCentre, kCentre}, 120, cv::Scalar(255), cv::FILLED);
    cv::rectangle(work, {40, 140}, {272, 170}, cv::Scalar(0), cv::FILLED);
    cv::putText(work, "GO", {100, 110}, cv::FONT_HERSHEY_SIMPLEX, 2.0, cv::Scalar(0), 6);
    WheelFrame frame{};
    RenderFrame(work, frame);
    const TransferBlock block = MakeTransferBlock(frame, 1);

    SimulatedWheelLight light;
    const HidHandle handle = light.Open(SimulatedWheelLight::kPath, nullptr);
    for (int chunk = 0; chunk < kChunksPerBlock; ++chunk) {
        std::array<std::uint8_t, 65> report{};
        report[1] = 9;
        report[2] = static_cast<std::uint8_t>(chunk);
        std::copy_n(block.begin() + kChunkBytes * chunk, kChunkBytes, report.begin() + 3);
        ASSERT_EQ(light.Write(handle, report, nullptr), 65);
    }
    ASSERT_EQ(light.Slot(9), block);

    // Sampling the shown picture where the wheel's LEDs sit gives the frame back.
    const cv::Mat shown = ShownSlot(light, 9, 0);
    ASSERT_EQ(shown.size(), cv::Size(kWorkSize, kWorkSize));
    cv::Mat grey;
    cv::cvtColor(shown, grey, cv::COLOR_BGR2GRAY);
    WheelFrame again{};
    RenderFrame(grey, again);
    EXPECT_EQ(again, frame);

    // An empty slot shows nothing; the visible rendering draws dots.
    EXPECT_EQ(cv::countNonZero(ShownSlot(light, 3).reshape(1)), 0);
    cv::Mat dots;
    cv::cvtColor(ShownSlot(light, 9), dots, cv::COLOR_BGR2GRAY);
    EXPECT_GT(cv::countNonZero(dots), cv::countNonZero(grey));
}

} // namespace
} // namespace wheel::test
