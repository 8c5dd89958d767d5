#include "ProtocolFixture.h"

#include "protocol/FactoryPictures.h"

#include <algorithm>

namespace {

using namespace wheeltest;
using Events = std::vector<std::string>;

const std::string kTitle = wheel::kApplicationTitle;

TEST_F(ProtocolTest, FirstAndTwentiethSlotExchangeByteForByte)
{
    const wheel::TransferBlock rendered = block;
    ASSERT_TRUE(Download({1, 20}));

    const auto sent = wheel.Sent();
    ASSERT_EQ(sent.size(), 16u);
    wheel::TransferBlock last = rendered;
    last[493] = 0xBB;
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sent[i].slot, i < 8 ? 1 : 0);
        EXPECT_EQ(sent[i].chunk, i % 8);
        EXPECT_EQ(sent[i].data, Chunk(i < 8 ? rendered : last, i % 8));
    }
    EXPECT_EQ(sent[7].data[59], 0xAA);   // block byte 493 of the first picture
    EXPECT_EQ(sent[15].data[59], 0xBB);  // and of the last

    EXPECT_EQ(view.Events(), (Events{"log: 尝试连接风火轮", "log: 风火轮已经找到", "buttons: off", "progress: 50", "progress: 100", "log: 下载成功！",
                                     "box[恭喜]: 图片下载完成!", "buttons: on"}));
    EXPECT_EQ(protocol.LastResult(), wheel::WheelProtocol::Result::Succeeded);
    EXPECT_EQ(protocol.CurrentOperation(), wheel::WheelProtocol::Operation::None);
    // The window's block keeps the rendering's trailer.
    EXPECT_EQ(block, rendered);
}

TEST_F(ProtocolTest, OnlyTheTwentiethBoxIsSlotZeroAndLastFromTheStart)
{
    ASSERT_TRUE(Download({20}));
    const auto sent = wheel.Sent();
    ASSERT_EQ(sent.size(), 8u);
    for (const auto& r : sent)
        EXPECT_EQ(r.slot, 0);
    EXPECT_EQ(sent[7].data[59], 0xBB);
    EXPECT_EQ(sent[7].data[60], 0xAA);
    EXPECT_EQ(sent[7].data[61], 0xAA);
    EXPECT_EQ(view.With("progress"), (Events{"progress: 100"}));
}

TEST_F(ProtocolTest, AllTwentyBoxesSendOneHundredSixtyReportsInFivePercentSteps)
{
    std::vector<int> all;
    for (int label = 20; label >= 1; --label)
        all.push_back(label);
    ASSERT_TRUE(Download(all));

    const auto sent = wheel.Sent();
    ASSERT_EQ(sent.size(), 160u);
    for (int p = 0; p < 20; ++p) {
        EXPECT_EQ(sent[8 * p].slot, p < 19 ? p + 1 : 0) << p;
        EXPECT_EQ(sent[8 * p + 7].data[59], p < 19 ? 0xAA : 0xBB) << p;
    }
    Events expected;
    for (int percent = 5; percent <= 100; percent += 5)
        expected.push_back("progress: " + std::to_string(percent));
    EXPECT_EQ(view.With("progress"), expected);
    EXPECT_EQ(protocol.Percent(), 100);
}

TEST_F(ProtocolTest, ThreeBoxesInAnyTickOrder)
{
    for (const std::vector<int>& order : {std::vector<int>{7, 20, 3}, std::vector<int>{20, 3, 7}}) {
        wheel.ClearSent();
        view.Take();
        ASSERT_TRUE(Download(order));
        const auto sent = wheel.Sent();
        ASSERT_EQ(sent.size(), 24u);
        EXPECT_EQ(sent[0].slot, 3);
        EXPECT_EQ(sent[8].slot, 7);
        EXPECT_EQ(sent[16].slot, 0);
        EXPECT_EQ(view.With("progress"), (Events{"progress: 33", "progress: 66", "progress: 100"}));
    }
}

TEST_F(ProtocolTest, UnplugAfterTheSecondOfThreePictures)
{
    values.m_slotChecks = wheel::SlotChecksFromLabels({2, 5, 9});
    ASSERT_TRUE(protocol.OnDownload(values, block));
    ASSERT_EQ(wheel.Pump(protocol, 16), 16);
    view.Take();
    wheel.DropAnswers();

    protocol.OnDeviceRemoved();
    EXPECT_EQ(view.Take(), (Events{"box[" + kTitle + "]: 下载失败，USB被拔出!", "buttons: on", "slots: off"}));
    EXPECT_EQ(protocol.Percent(), 66);
    EXPECT_FALSE(protocol.Connected());
    EXPECT_EQ(protocol.LastResult(), wheel::WheelProtocol::Result::DeviceRemoved);

    // A late answer of the old exchange sends nothing.
    const auto before = wheel.Sent().size();
    protocol.OnAnswer(wheel::AnswerNext);
    protocol.OnAnswer(wheel::AnswerDone);
    EXPECT_EQ(wheel.Sent().size(), before);
    EXPECT_TRUE(view.Events().empty());
}

TEST_F(ProtocolTest, RefusalsComeInOrderAndSendNothing)
{
    wheel.present = false;
    values.m_bPictureLoaded = 0;
    values.m_slotChecks = {};
    EXPECT_FALSE(protocol.OnDownload(values, block));
    EXPECT_EQ(view.Take(), (Events{"log: 尝试连接风火轮", "log: 风火轮连接失败", "box[温馨提示-_-]: 请先连接USB到风火轮!"}));

    wheel.present = true;
    EXPECT_FALSE(protocol.OnDownload(values, block));
    EXPECT_EQ(view.Take(), (Events{"log: 尝试连接风火轮", "log: 风火轮已经找到", "box[温馨提示]: 请导入图片,然后下载!"}));

    // Connected now: no second search.
    values.m_bPictureLoaded = 1;
    EXPECT_FALSE(protocol.OnDownload(values, block));
    EXPECT_EQ(view.Take(), (Events{"box[温馨提示-_-]: 请先选择需要下载的位置!"}));
    EXPECT_TRUE(wheel.Sent().empty());
    EXPECT_EQ(protocol.CurrentOperation(), wheel::WheelProtocol::Operation::None);
}

TEST_F(ProtocolTest, ModeByteFollowsTheBoxAndStaysInTheBlock)
{
    values.m_b48Mode = 0;
    ASSERT_TRUE(Download({4}));
    EXPECT_EQ(wheel.Sent()[7].data[58], 0);
    EXPECT_EQ(block[492], 0);
}

TEST_F(ProtocolTest, EveryDownloadCarriesTheTrailerOfItsOwnPictures)
{
    // Twice the same rendering, then after a calibration: the non-last
    // pictures always carry AA AA AA, the last one BB AA AA.
    ASSERT_TRUE(Download({1, 2}));
    ASSERT_TRUE(Download({1, 2}));
    values.angleText = "30";
    values.m_nAngle = 30;
    values.m_nDirection = 0;
    ASSERT_TRUE(protocol.OnCalibrate(values, block));
    wheel.Pump(protocol);
    EXPECT_EQ(block[493], 0xCC);
    ASSERT_TRUE(Download({1, 2}));

    const auto sent = wheel.Sent();
    ASSERT_EQ(sent.size(), 16u * 3 + 8);
    for (int download : {0, 1, 3}) {
        const auto& first = sent[16 * download + (download == 3 ? -8 : 0) + 7];
        const auto& last = sent[16 * download + (download == 3 ? -8 : 0) + 15];
        SCOPED_TRACE(download);
        EXPECT_EQ(std::vector<int>(first.data.begin() + 59, first.data.end()), (std::vector<int>{0xAA, 0xAA, 0xAA}));
        EXPECT_EQ(std::vector<int>(last.data.begin() + 59, last.data.end()), (std::vector<int>{0xBB, 0xAA, 0xAA}));
    }
}

TEST_F(ProtocolTest, DownloadSendsThePictureAsItWasAtTheStart)
{
    const wheel::TransferBlock atStart = block;
    values.m_slotChecks = wheel::SlotChecksFromLabels({1, 2});
    ASSERT_TRUE(protocol.OnDownload(values, block));
    block = RenderedBlock(99);  // another picture is loaded meanwhile
    wheel.Pump(protocol);
    const auto sent = wheel.Sent();
    ASSERT_EQ(sent.size(), 16u);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(sent[i].data, Chunk(atStart, i % 8)) << i;
}

TEST_F(ProtocolTest, AnswersOutsideAnOperationAreIgnored)
{
    for (std::uint8_t code : {wheel::AnswerDone, wheel::AnswerNext, std::uint8_t{0x00}, std::uint8_t{0x55}})
        protocol.OnAnswer(code);
    EXPECT_TRUE(wheel.Sent().empty());
    EXPECT_TRUE(view.Events().empty());

    // Other codes in the middle of a download change nothing either.
    values.m_slotChecks = wheel::SlotChecksFromLabels({6});
    ASSERT_TRUE(protocol.OnDownload(values, block));
    protocol.OnAnswer(0x55);
    protocol.OnAnswer(0x00);
    EXPECT_EQ(wheel.Sent().size(), 1u);
    wheel.Pump(protocol);
    EXPECT_EQ(wheel.Sent().size(), 8u);
    EXPECT_EQ(protocol.LastResult(), wheel::WheelProtocol::Result::Succeeded);
}

TEST_F(ProtocolTest, SilentDeviceEndsTheOperationAfterFiveSeconds)
{
    wheel.answers = false;
    values.m_slotChecks = wheel::SlotChecksFromLabels({1, 2, 3});
    ASSERT_TRUE(protocol.OnDownload(values, block));
    view.Take();

    now += std::chrono::milliseconds(4999);
    protocol.Tick();
    EXPECT_TRUE(view.Events().empty());
    EXPECT_EQ(protocol.CurrentOperation(), wheel::WheelProtocol::Operation::Download);

    now += std::chrono::milliseconds(1);
    protocol.Tick();
    EXPECT_EQ(view.Take(), (Events{"log: 风火轮没有应答，下载失败", "box[" + kTitle + "]: 下载失败，风火轮没有应答!",
                                   "buttons: on"}));
    EXPECT_EQ(protocol.LastResult(), wheel::WheelProtocol::Result::TimedOut);
    EXPECT_TRUE(protocol.WaitForIdle(std::chrono::milliseconds(0)));

    // The clock restarts with every answer.
    wheel.answers = true;
    ASSERT_TRUE(protocol.OnDownload(values, block));
    for (int i = 0; i < 20; ++i) {
        now += std::chrono::seconds(4);
        protocol.Tick();
        wheel.Pump(protocol, 1);
    }
    EXPECT_EQ(protocol.LastResult(), wheel::WheelProtocol::Result::None);
    wheel.Pump(protocol);
    EXPECT_EQ(protocol.LastResult(), wheel::WheelProtocol::Result::Succeeded);
}

TEST_F(ProtocolTest, FactoryResetSendsTheBuiltInPicturesIntoAllSlots)
{
    values.m_bPictureLoaded = 0;
    values.m_b48Mode = 0;
    ASSERT_TRUE(protocol.OnFactoryReset(values, block));
    // The boxes are cleared right after the first report, before any answer.
    EXPECT_EQ(view.Events(), (Events{"48: on", "slots: on", "log: 尝试连接风火轮", "log: 风火轮已经找到",
                                     "buttons: off", "slots: off"}));
    ASSERT_EQ(wheel.Sent().size(), 1u);
    wheel.Pump(protocol);

    const auto sent = wheel.Sent();
    ASSERT_EQ(sent.size(), 160u);
    for (int p = 0; p < 20; ++p)
        for (int c = 0; c < 8; ++c) {
            EXPECT_EQ(sent[8 * p + c].slot, p < 19 ? p + 1 : 0);
            EXPECT_EQ(sent[8 * p + c].data, Chunk(wheel::kFactoryPictures[p], c)) << p << "/" << c;
        }
    EXPECT_EQ(sent[159].data[58], 0x01);
    EXPECT_EQ(sent[159].data[59], 0xBB);
    EXPECT_EQ(view.With("box"), (Events{"box[恭喜]: 图片下载完成!"}));

    // The loaded-picture state is the window's own: still no picture to send.
    wheel.ClearSent();
    view.Take();
    values.m_slotChecks = wheel::SlotChecksFromLabels({1});
    EXPECT_FALSE(protocol.OnDownload(values, block));
    EXPECT_EQ(view.Take(), (Events{"box[温馨提示]: 请导入图片,然后下载!"}));
}

TEST_F(ProtocolTest, FactoryResetWithoutDeviceLeavesNothingBehind)
{
    wheel.present = false;
    EXPECT_FALSE(protocol.OnFactoryReset(values, block));
    EXPECT_EQ(view.Take(), (Events{"48: on", "slots: on", "log: 尝试连接风火轮", "log: 风火轮连接失败",
                                   "box[温馨提示-_-]: 请先连接USB到风火轮!", "slots: off"}));
    EXPECT_TRUE(wheel.Sent().empty());

    // The next download sends the user's picture, not the built-in ones.
    wheel.present = true;
    const wheel::TransferBlock rendered = block;
    ASSERT_TRUE(Download({11}));
    const auto sent = wheel.Sent();
    ASSERT_EQ(sent.size(), 8u);
    EXPECT_EQ(sent[0].data, Chunk(rendered, 0));
}

TEST_F(ProtocolTest, DownloadAndCalibrationRefuseEachOther)
{
    values.m_slotChecks = wheel::SlotChecksFromLabels({1, 2});
    values.angleText = "10";
    values.m_nAngle = 10;
    ASSERT_TRUE(protocol.OnDownload(values, block));
    wheel.Pump(protocol, 3);
    view.Take();
    const wheel::TransferBlock during = block;
    EXPECT_FALSE(protocol.OnCalibrate(values, block));
    EXPECT_FALSE(protocol.OnDownload(values, block));
    EXPECT_EQ(view.Take(), (Events{"box[温馨提示-_-]: 正在下载图片，请等下载完成后再试！",
                                   "box[温馨提示-_-]: 正在下载图片，请等下载完成后再试！"}));
    EXPECT_EQ(block, during);
    wheel.Pump(protocol);
    EXPECT_EQ(wheel.Sent().size(), 16u);  // the download went on undisturbed
    EXPECT_EQ(protocol.LastResult(), wheel::WheelProtocol::Result::Succeeded);

    wheel.ClearSent();
    ASSERT_TRUE(protocol.OnCalibrate(values, block));
    view.Take();
    EXPECT_FALSE(protocol.OnDownload(values, block));
    EXPECT_FALSE(protocol.OnFactoryReset(values, block));
    EXPECT_EQ(view.With("box"), (Events{"box[温馨提示-_-]: 正在校准风火轮，请等校准完成后再试！",
                                        "box[温馨提示-_-]: 正在校准风火轮，请等校准完成后再试！"}));
    wheel.Pump(protocol);
    EXPECT_EQ(wheel.Sent().size(), 8u);
    for (const auto& r : wheel.Sent())
        EXPECT_EQ(r.slot, 1);  // the first entry of the last download's table
    EXPECT_EQ(protocol.LastResult(), wheel::WheelProtocol::Result::Succeeded);
}

// A view that keeps what each download left in the slots.
class OutcomeView : public RecordingView {
public:
    void DownloadEnded(const wheel::DownloadOutcome& outcome) override { outcomes.push_back(outcome); }
    std::vector<wheel::DownloadOutcome> outcomes;
};

std::vector<std::uint8_t> Slots(const std::vector<wheel::SlotPicture>& pictures)
{
    std::vector<std::uint8_t> slots;
    for (const auto& p : pictures)
        slots.push_back(p.slot);
    return slots;
}

// Asked to stop, a download takes in the answer to the report in flight and
// sends nothing more: the pictures confirmed stand, the one half sent is
// unfinished, one whose last answer came is confirmed and the next one never
// started. The answer that ends the download ends it as usual.
TEST(ProtocolStop, ADownloadStopsAfterTheReportInFlight)
{
    OutcomeView view;
    FakeWheel wheel(view);
    wheel::WheelProtocol protocol(wheel, view);
    wheel::ProtocolInputs values;
    values.m_bPictureLoaded = 1;
    values.m_slotChecks = wheel::SlotChecksFromLabels({2, 5, 9});
    wheel::TransferBlock block = wheeltest::RenderedBlock();
    using Result = wheel::WheelProtocol::Result;

    protocol.RequestStop();  // nothing runs: nothing to stop
    for (const int answered : {10, 7}) {
        SCOPED_TRACE(answered);
        wheel.ClearSent();
        view.outcomes.clear();
        ASSERT_TRUE(protocol.OnDownload(values, block));
        ASSERT_EQ(wheel.Pump(protocol, answered), answered);
        view.Take();
        protocol.RequestStop();
        wheel.Pump(protocol);
        EXPECT_EQ(wheel.Sent().size(), std::size_t(answered + 1));
        EXPECT_EQ(protocol.LastResult(), Result::Stopped);
        EXPECT_EQ(protocol.CurrentOperation(), wheel::WheelProtocol::Operation::None);
        ASSERT_EQ(view.outcomes.size(), 1u);
        EXPECT_EQ(Slots(view.outcomes[0].confirmed), std::vector<std::uint8_t>{2});
        const std::vector<std::uint8_t> unfinished = answered == 10 ? std::vector<std::uint8_t>{5}
                                                                    : std::vector<std::uint8_t>{};
        EXPECT_EQ(view.outcomes[0].unfinished, unfinished);
        const auto events = view.Take();
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(events[events.size() - 2], "log: 下载已停止");
        EXPECT_EQ(events.back(), "buttons: on");
    }

    // Stopped while the last report is out: its answer completes the download.
    ASSERT_TRUE(protocol.OnDownload(values, block));
    ASSERT_EQ(wheel.Pump(protocol, 23), 23);
    protocol.RequestStop();
    wheel.Pump(protocol);
    EXPECT_EQ(protocol.LastResult(), Result::Succeeded);

    // A calibration stops the same way.
    values.m_nAngle = 30;
    values.angleText = "30";
    ASSERT_TRUE(protocol.OnCalibrate(values, block));
    ASSERT_EQ(wheel.Pump(protocol, 3), 3);
    protocol.RequestStop();
    wheel.Pump(protocol);
    EXPECT_EQ(protocol.LastResult(), Result::Stopped);
    EXPECT_EQ(view.With("log: ").back(), "log: 校准已停止");
}

} // namespace
