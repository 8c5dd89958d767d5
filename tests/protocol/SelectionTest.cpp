#include "ProtocolFixture.h"

#include "protocol/SlotTable.h"

#include <set>

namespace {

using namespace wheeltest;

TEST(SlotTable, ExchangeOrderIsTheLabelsSortedByTheirDigits)
{
    // 第1幅, 第10幅 ... 第19幅, 第2幅, 第20幅, 第3幅 ... 第9幅: the numbers compared as text.
    std::vector<std::string> numbers;
    for (int label = 1; label <= 20; ++label)
        numbers.push_back(std::to_string(label));
    std::sort(numbers.begin(), numbers.end());
    std::set<int> seen;
    for (int index = 0; index < 20; ++index) {
        const int label = std::stoi(numbers[index]);
        EXPECT_EQ(wheel::SlotCheckIndex(label), index) << wheel::SlotLabelText(label);
        seen.insert(wheel::SlotCheckIndex(label));
    }
    EXPECT_EQ(seen.size(), 20u);
    EXPECT_EQ(wheel::SlotCheckIndex(2), 11);
    EXPECT_EQ(wheel::SlotCheckIndex(20), 12);
    EXPECT_EQ(wheel::SlotLabelText(20), "第20幅");
    EXPECT_THROW(wheel::SlotCheckIndex(0), std::out_of_range);
    EXPECT_THROW(wheel::SlotCheckIndex(21), std::out_of_range);
}

TEST(SlotTable, SendingOrderIsOneToNineteenThenZero)
{
    wheel::SlotChecks all;
    all.fill(1);
    std::vector<std::uint8_t> expected;
    for (int s = 1; s <= 19; ++s)
        expected.push_back(static_cast<std::uint8_t>(s));
    expected.push_back(0);
    EXPECT_EQ(wheel::BuildSlotTable(all), expected);
    EXPECT_TRUE(wheel::BuildSlotTable({}).empty());
    EXPECT_EQ(wheel::BuildSlotTable(wheel::SlotChecksFromLabels({20, 10, 2})), (std::vector<std::uint8_t>{2, 10, 0}));
}

TEST_F(ProtocolTest, SelectAllAndDeselectAllLeaveTheModeAlone)
{
    protocol.OnSelectAll();
    protocol.OnDeselectAll();
    EXPECT_EQ(view.Events(), (std::vector<std::string>{"slots: on", "slots: off"}));
}

} // namespace
