#include "ProtocolFixture.h"

#include "protocol/AngleText.h"

namespace {

using namespace wheeltest;
using Events = std::vector<std::string>;

const std::string kTitle = wheel::kApplicationTitle;

class CalibrationTest : public ProtocolTest {
protected:
    // Runs "点击校准" with the field's text, the exchanged angle and direction.
    bool Calibrate(const std::string& text, int exchangedAngle, int direction)
    {
        values.angleText = text;
        values.m_nAngle = exchangedAngle;
        values.m_nDirection = direction;
        const bool started = protocol.OnCalibrate(values, block);
        wheel.Pump(protocol);
        return started;
    }
    // Trailer bytes 492..495 of the calibration as sent in chunk 7.
    std::vector<int> SentTrailer() const
    {
        const auto sent = wheel.Sent();
        const auto& data = sent.at(7).data;
        return {data[58], data[59], data[60], data[61]};
    }
};

TEST_F(CalibrationTest, OneDegreeRightIsZeroStepsWithItsConfirmation)
{
    const wheel::TransferBlock rendered = block;
    ASSERT_TRUE(Calibrate("1", 1, 1));
    const auto sent = wheel.Sent();
    ASSERT_EQ(sent.size(), 8u);
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(sent[c].data, Chunk(rendered, c)) << c;
    EXPECT_EQ(SentTrailer(), (std::vector<int>{1, 0xCC, 1, 0}));
    EXPECT_EQ(view.Events(), (Events{"log: 尝试连接风火轮", "log: 风火轮已经找到", "replace: 您需要调整的角度是:1  向右调整！",
                                     "log: 风火轮位置校准成功!", "box[恭喜]: 风火轮位置校准成功!", "buttons: on"}));
    // The calibration's trailer stays in the window's block.
    EXPECT_EQ(block[493], 0xCC);
}

TEST_F(CalibrationTest, NinetyLeftIsFiftyFourSteps)
{
    ASSERT_TRUE(Calibrate("90", 90, 0));
    EXPECT_EQ(SentTrailer(), (std::vector<int>{1, 0xCC, 0, 54}));
    EXPECT_EQ(view.With("replace"), (Events{"replace: 您需要调整的角度是:90  向左调整！"}));
}

TEST_F(CalibrationTest, OutOfRangeAndZeroAreRefused)
{
    for (const std::string text : {"91", "-3", "12345678901"}) {
        EXPECT_FALSE(Calibrate(text, 45, 1)) << text;
        EXPECT_EQ(view.Take(), (Events{"box[温馨提示-_-]: 请输入需要调整的1和90之间的整数角度！"})) << text;
    }
    EXPECT_FALSE(Calibrate("0", 0, 1));
    EXPECT_EQ(view.Take(), (Events{"box[" + kTitle + "]: 请输入需要调整的角度！"}));
    EXPECT_TRUE(wheel.Sent().empty());
}

TEST_F(CalibrationTest, LeadingBlankIsKeptInTheConfirmation)
{
    ASSERT_TRUE(Calibrate(" 45", 45, 1));
    EXPECT_EQ(view.With("replace"), (Events{"replace: 您需要调整的角度是: 45  向右调整！"}));
    EXPECT_EQ(SentTrailer()[3], 27);
}

TEST_F(CalibrationTest, FieldTextDecidesTheStepsAndTheExchangedValueTheGo)
{
    // "5abc" is no integer for the exchange (the member keeps 30), but the
    // text rule reads 5: three steps are sent.
    ASSERT_TRUE(Calibrate("5abc", 30, 0));
    EXPECT_EQ(SentTrailer()[3], 3);
    EXPECT_EQ(view.With("replace"), (Events{"replace: 您需要调整的角度是:5abc  向左调整！"}));
}

TEST_F(CalibrationTest, BadDirectionWarnsAndGoesOn)
{
    ASSERT_TRUE(Calibrate("20", 20, 2));
    EXPECT_EQ(view.With("box")[0], "box[" + kTitle + "]: 哎呀，出错啦！请重新启动软件！");
    EXPECT_EQ(view.With("replace"), (Events{"replace: 您需要调整的角度是:20"}));
    EXPECT_EQ(SentTrailer(), (std::vector<int>{1, 0xCC, 2, 12}));
}

TEST_F(CalibrationTest, BeforeAnyRenderingSendsZeroBitsWithTheTrailer)
{
    block = {};
    ASSERT_TRUE(Calibrate("50", 50, 1));
    const auto sent = wheel.Sent();
    ASSERT_EQ(sent.size(), 8u);
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(sent[c].slot, 0);
        EXPECT_EQ(sent[c].chunk, c);
        for (int i = 0; i < (c == 7 ? 59 : 62); ++i)
            ASSERT_EQ(sent[c].data[i], 0) << c << "/" << i;
    }
    EXPECT_EQ(SentTrailer(), (std::vector<int>{0, 0xCC, 1, 30}));
}

TEST_F(CalibrationTest, NoDeviceIsCheckedAfterTheAngle)
{
    wheel.present = false;
    EXPECT_FALSE(Calibrate("10", 10, 1));
    EXPECT_EQ(view.Take(), (Events{"log: 尝试连接风火轮", "log: 风火轮连接失败", "box[温馨提示-_-]: 请先连接USB到风火轮!"}));
    EXPECT_EQ(block[493], 0xAA);  // nothing was written
}

TEST_F(CalibrationTest, UnplugDuringCalibrationLeavesNoFlag)
{
    values.angleText = "10";
    values.m_nAngle = 10;
    ASSERT_TRUE(protocol.OnCalibrate(values, block));
    wheel.Pump(protocol, 2);
    wheel.DropAnswers();
    view.Take();
    protocol.OnDeviceRemoved();
    EXPECT_EQ(view.With("box"), Events{});  // only the link closes
    EXPECT_EQ(protocol.CurrentOperation(), wheel::WheelProtocol::Operation::None);

    // Reconnected, the next download's answers are a download's.
    wheel.ClearSent();
    view.Take();
    ASSERT_TRUE(Download({1, 2}));
    EXPECT_EQ(wheel.Sent().size(), 16u);
    EXPECT_EQ(view.With("progress"), (Events{"progress: 50", "progress: 100"}));
    EXPECT_EQ(view.With("box"), (Events{"box[恭喜]: 图片下载完成!"}));
}

TEST_F(CalibrationTest, SilentDeviceEndsTheCalibration)
{
    wheel.answers = false;
    values.angleText = "10";
    values.m_nAngle = 10;
    ASSERT_TRUE(protocol.OnCalibrate(values, block));
    view.Take();
    now += std::chrono::seconds(5);
    protocol.Tick();
    EXPECT_EQ(view.Take(), (Events{"log: 风火轮没有应答，校准失败", "box[" + kTitle + "]: 校准失败，风火轮没有应答!",
                                   "buttons: on"}));
    EXPECT_EQ(protocol.CurrentOperation(), wheel::WheelProtocol::Operation::None);
}

TEST(AngleText, TextToIntegerRuleOnNineCharacters)
{
    EXPECT_EQ(wheel::AngleFromFieldText("45"), 45);
    EXPECT_EQ(wheel::AngleFromFieldText(" \t45"), 45);
    EXPECT_EQ(wheel::AngleFromFieldText("+7x"), 7);
    EXPECT_EQ(wheel::AngleFromFieldText("-3"), -3);
    EXPECT_EQ(wheel::AngleFromFieldText("abc"), 0);
    EXPECT_EQ(wheel::AngleFromFieldText(""), 0);
    EXPECT_EQ(wheel::AngleFromFieldText("- 5"), 0);
    EXPECT_EQ(wheel::AngleFromFieldText("000000045"), 45);
    EXPECT_EQ(wheel::AngleFromFieldText("0000000451"), 45);  // the tenth character is not read
    EXPECT_EQ(wheel::AngleFromFieldText("999999999999"), 999999999);
    EXPECT_EQ(wheel::AngleFromFieldText("-99999999999"), -99999999);
    EXPECT_EQ(wheel::AngleFromFieldText("４５"), 0);  // full-width digits are not digits
}

TEST(AngleText, ExchangeAcceptsOnlyWholeIntegers)
{
    EXPECT_EQ(wheel::ExchangeInteger("12"), 12);
    EXPECT_EQ(wheel::ExchangeInteger(" 45 "), 45);
    EXPECT_EQ(wheel::ExchangeInteger("-3"), -3);
    EXPECT_EQ(wheel::ExchangeInteger("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", " ", "5abc", "4 5", "+", "2147483648", "99999999999999999999", "1.5"})
        EXPECT_FALSE(wheel::ExchangeInteger(bad).has_value()) << bad;
}

TEST(AngleText, StepsAreSixTenthsTruncated)
{
    const std::pair<int, int> cases[] = {{0, 0}, {1, 0}, {2, 1}, {5, 3}, {45, 27}, {89, 53}, {90, 54}};
    for (auto [n, steps] : cases)
        EXPECT_EQ(wheel::AngleSteps(n), steps) << n;
    for (int n = 0; n <= 90; ++n)
        EXPECT_EQ(wheel::AngleSteps(n), 3 * n / 5) << n;
}

} // namespace
