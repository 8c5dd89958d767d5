#include "app/AppOptions.h"
#include "app/DataExchange.h"
#include "app/LogText.h"
#include "app/PictureFilters.h"
#include "app/RecentPictures.h"
#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace wheel;

TEST(LogLine, TimeAndNewlineOnlyForFlagsEqualToOne)
{
    const QTime t(14, 5, 9);
    EXPECT_EQ(FormatLogLine(QStringLiteral("关闭设备"), t, 1, 1), QStringLiteral("关闭设备 (14:05:09)\r\n"));
    EXPECT_EQ(FormatLogLine(QStringLiteral("a"), t, 0, 1), QStringLiteral("a\r\n"));
    EXPECT_EQ(FormatLogLine(QStringLiteral("a"), t, 1, 0), QStringLiteral("a (14:05:09)"));
    EXPECT_EQ(FormatLogLine(QStringLiteral("a"), t, 0, 0), QStringLiteral("a"));
    EXPECT_EQ(FormatLogLine(QStringLiteral("a"), t, 2, -1), QStringLiteral("a"));
    EXPECT_EQ(FormatLogLine(QStringLiteral("a"), QTime(0, 0, 0), 1, 1), QStringLiteral("a (00:00:00)\r\n"));
    EXPECT_EQ(FormatLogLine(QStringLiteral("a"), QTime(23, 59, 59), 1, 1), QStringLiteral("a (23:59:59)\r\n"));
}

TEST(LogLine, WidgetAndLogSpellingsOfLineBreaks)
{
    EXPECT_EQ(LogTextToWidget(QStringLiteral("a\r\nb\r\n")), QStringLiteral("a\nb\n"));
    EXPECT_EQ(WidgetTextToLog(QStringLiteral("a\nb\n")), QStringLiteral("a\r\nb\r\n"));
    // Text already in the log's spelling is not doubled.
    EXPECT_EQ(WidgetTextToLog(QStringLiteral("a\r\nb")), QStringLiteral("a\r\nb"));
    const QString log = QStringLiteral("x (01:02:03)\r\n\r\ny");
    EXPECT_EQ(WidgetTextToLog(LogTextToWidget(log)), log);
}

TEST(SlotMapping, LabelsSortedAsText)
{
    // 第1幅, 第10幅 ... 第19幅, 第2幅, 第20幅, 第3幅 ... 第9幅
    EXPECT_EQ(SlotIndexOfLabel(1), 0);
    EXPECT_EQ(SlotIndexOfLabel(10), 1);
    EXPECT_EQ(SlotIndexOfLabel(19), 10);
    EXPECT_EQ(SlotIndexOfLabel(2), 11);
    EXPECT_EQ(SlotIndexOfLabel(20), 12);
    EXPECT_EQ(SlotIndexOfLabel(3), 13);
    EXPECT_EQ(SlotIndexOfLabel(9), 19);
    EXPECT_EQ(SlotIndexOfLabel(0), -1);
    EXPECT_EQ(SlotIndexOfLabel(21), -1);
    EXPECT_EQ(SlotLabelOfIndex(20), -1);
    EXPECT_EQ(SlotLabelOfIndex(-1), -1);

    std::set<int> indexes;
    for (int label = 1; label <= kSlotCount; ++label) {
        const int index = SlotIndexOfLabel(label);
        indexes.insert(index);
        EXPECT_EQ(SlotLabelOfIndex(index), label);
        // The order is that of the labels compared as text.
        if (label > 1) {
            EXPECT_EQ(QString::number(label) < QString::number(label - 1), index < SlotIndexOfLabel(label - 1));
        }
    }
    EXPECT_EQ(indexes.size(), std::size_t(kSlotCount));

    EXPECT_EQ(SlotNumberOfLabel(1), 1);
    EXPECT_EQ(SlotNumberOfLabel(19), 19);
    EXPECT_EQ(SlotNumberOfLabel(20), 0);
    EXPECT_EQ(SlotNumberOfLabel(21), -1);
}

TEST(DialogInt, AcceptsOnlyWholeIntegers)
{
    EXPECT_EQ(ParseDialogInt(QStringLiteral("0")), 0);
    EXPECT_EQ(ParseDialogInt(QStringLiteral(" 45")), 45);
    EXPECT_EQ(ParseDialogInt(QStringLiteral("\t45 ")), 45);
    EXPECT_EQ(ParseDialogInt(QStringLiteral("-3")), -3);
    EXPECT_EQ(ParseDialogInt(QStringLiteral("+7")), 7);
    EXPECT_EQ(ParseDialogInt(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(ParseDialogInt(QStringLiteral("-2147483648")), -2147483647 - 1);
    for (const char* bad : {"", " ", "-", "4a", "a4", "4 5", "2147483648", "-2147483649", "99999999999999999999", "４５"})
        EXPECT_FALSE(ParseDialogInt(QString::fromUtf8(bad)).has_value()) << bad;
}

TEST(DataExchange, ReadTakesEveryValueAndKeepsAngleWhenNotInteger)
{
    ControlState controls;
    controls.logText = QStringLiteral("line\r\n");
    controls.slotTicked[std::size_t(SlotIndexOfLabel(20))] = true;
    controls.slotTicked[std::size_t(SlotIndexOfLabel(3))] = true;
    controls.mode48 = false;
    controls.angleText = QStringLiteral("abc");
    controls.left = true;

    DialogValues values;
    values.m_nAngle = 30;
    values.m_b48Mode = 1;
    EXPECT_EQ(ReadControls(controls, values), ExchangeResult::AngleNotInteger);
    EXPECT_EQ(values.m_nAngle, 30);
    EXPECT_EQ(values.m_strLog, QStringLiteral("line\r\n"));
    EXPECT_EQ(values.m_slotChecks[12], 1);
    EXPECT_EQ(values.m_slotChecks[13], 1);
    int ticked = 0;
    for (int v : values.m_slotChecks)
        ticked += v;
    EXPECT_EQ(ticked, 2);
    EXPECT_EQ(values.m_b48Mode, 0);
    EXPECT_EQ(values.m_nDirection, 0);

    controls.angleText = QStringLiteral(" 45");
    controls.left = false;
    controls.right = true;
    EXPECT_EQ(ReadControls(controls, values), ExchangeResult::Ok);
    EXPECT_EQ(values.m_nAngle, 45);
    EXPECT_EQ(values.m_nDirection, 1);

    controls.right = false;
    ReadControls(controls, values);
    EXPECT_EQ(values.m_nDirection, -1);
}

TEST(DataExchange, WriteShowsMembersAndRoundTrips)
{
    DialogValues values;
    ControlState start = WriteControls(values);
    EXPECT_EQ(start.angleText, QStringLiteral("0"));
    EXPECT_FALSE(start.left);
    EXPECT_TRUE(start.right);
    EXPECT_FALSE(start.mode48);
    for (bool t : start.slotTicked)
        EXPECT_FALSE(t);

    values.m_slotChecks[1] = 1;   // 第10幅
    values.m_b48Mode = 1;
    values.m_nAngle = -12;
    values.m_nDirection = 0;
    values.m_strLog = QStringLiteral("x\r\n");
    const ControlState shown = WriteControls(values);
    EXPECT_TRUE(shown.slotTicked[std::size_t(SlotIndexOfLabel(10))]);
    EXPECT_EQ(shown.angleText, QStringLiteral("-12"));
    EXPECT_TRUE(shown.left);
    EXPECT_FALSE(shown.right);

    DialogValues back;
    EXPECT_EQ(ReadControls(shown, back), ExchangeResult::Ok);
    EXPECT_EQ(back.m_slotChecks, values.m_slotChecks);
    EXPECT_EQ(back.m_b48Mode, 1);
    EXPECT_EQ(back.m_nAngle, -12);
    EXPECT_EQ(back.m_nDirection, 0);
    EXPECT_EQ(back.m_strLog, values.m_strLog);

    values.m_nDirection = 7;
    const ControlState neither = WriteControls(values);
    EXPECT_FALSE(neither.left);
    EXPECT_FALSE(neither.right);
}

TEST(OpenDialog, FourFiltersInOrderWithTheirPatterns)
{
    const QStringList filters = PictureFileFilters();
    ASSERT_EQ(filters.size(), 4);
    EXPECT_TRUE(filters[0].startsWith(QStringLiteral("所有文件(*.*)")));
    EXPECT_TRUE(filters[1].startsWith(QStringLiteral("BMP(*.bmp)")));
    EXPECT_TRUE(filters[2].startsWith(QStringLiteral("JPEG(*.jpg,*.jpeg)")));
    EXPECT_TRUE(filters[3].startsWith(QStringLiteral("PNG(*.png)")));
    EXPECT_EQ(FilterPatterns(filters[0]),
              (QStringList{QStringLiteral("*.bmp"), QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"), QStringLiteral("*.png")}));
    EXPECT_EQ(FilterPatterns(filters[1]), QStringList{QStringLiteral("*.bmp")});
    EXPECT_EQ(FilterPatterns(filters[2]), (QStringList{QStringLiteral("*.jpg"), QStringLiteral("*.jpeg")}));
    EXPECT_EQ(FilterPatterns(filters[3]), QStringList{QStringLiteral("*.png")});
}

TEST(CommandLine, OptionsFilesAndRefusals)
{
    const QString prog = QStringLiteral("wheel-editor");
    ParsedCommandLine plain = ParseCommandLine({prog});
    EXPECT_FALSE(plain.exit);
    EXPECT_EQ(plain.options.simulate, Simulation::Off);

    ParsedCommandLine sim = ParseCommandLine({prog, QStringLiteral("--simulate")});
    EXPECT_FALSE(sim.exit);
    EXPECT_EQ(sim.options.simulate, Simulation::Present);
    ParsedCommandLine absent = ParseCommandLine({prog, QStringLiteral("--simulate=absent"), QStringLiteral("--lang=en")});
    EXPECT_FALSE(absent.exit);
    EXPECT_EQ(absent.options.simulate, Simulation::Absent);
    EXPECT_EQ(absent.options.lang, QStringLiteral("en"));
    ParsedCommandLine badValue = ParseCommandLine({prog, QStringLiteral("--simulate=maybe")});
    EXPECT_EQ(badValue.exitCode, 2);
    EXPECT_TRUE(badValue.output.startsWith(QStringLiteral("Unknown value in --simulate=maybe"))) << badValue.output.toStdString();

    EXPECT_TRUE(plain.options.lang.isEmpty());
    ParsedCommandLine lang = ParseCommandLine({prog, QStringLiteral("--lang"), QStringLiteral("en")});
    EXPECT_FALSE(lang.exit);
    EXPECT_EQ(lang.options.lang, QStringLiteral("en"));
    ParsedCommandLine langEq = ParseCommandLine({prog, QStringLiteral("--simulate"), QStringLiteral("--lang=zh")});
    EXPECT_FALSE(langEq.exit);
    EXPECT_EQ(langEq.options.simulate, Simulation::Present);
    EXPECT_EQ(langEq.options.lang, QStringLiteral("zh"));
    ParsedCommandLine langMissing = ParseCommandLine({prog, QStringLiteral("--lang")});
    EXPECT_TRUE(langMissing.exit);
    EXPECT_EQ(langMissing.exitCode, 2);

    ParsedCommandLine unknown = ParseCommandLine({prog, QStringLiteral("--simulat")});
    EXPECT_TRUE(unknown.exit);
    EXPECT_EQ(unknown.exitCode, 2);

    ParsedCommandLine unknownWithFile = ParseCommandLine({prog, QStringLiteral("-x"), QStringLiteral("a.png")});
    EXPECT_TRUE(unknownWithFile.exit);
    EXPECT_EQ(unknownWithFile.exitCode, 2);

    ParsedCommandLine files = ParseCommandLine(
        {prog, QStringLiteral("a.png"), QStringLiteral("--simulate"), QStringLiteral("--"), QStringLiteral("-b.jpg")});
    EXPECT_FALSE(files.exit);
    EXPECT_EQ(files.options.simulate, Simulation::Present);
    EXPECT_EQ(files.files, (QStringList{QStringLiteral("a.png"), QStringLiteral("-b.jpg")}));

    // Before the application object exists, as main() asks.
    ParsedCommandLine help = ParseCommandLine({prog, QStringLiteral("--help")});
    EXPECT_TRUE(help.exit);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.output.startsWith(QStringLiteral("Usage: wheel-editor [options] [FILE]\n")));
    EXPECT_TRUE(help.output.contains(QStringLiteral("--simulate")));
}

TEST(RecentPictures, NewestFirstEachOnceAtMostEight)
{
    QStringList list;
    for (int i = 1; i <= 9; ++i)
        list = WithRecentPicture(list, QStringLiteral("/p/%1.png").arg(i));
    list = WithRecentPicture(list, QStringLiteral("/p/5.png"));
    const QStringList expected = {QStringLiteral("/p/5.png"), QStringLiteral("/p/9.png"), QStringLiteral("/p/8.png"),
                                  QStringLiteral("/p/7.png"), QStringLiteral("/p/6.png"), QStringLiteral("/p/4.png"),
                                  QStringLiteral("/p/3.png"), QStringLiteral("/p/2.png")};
    EXPECT_EQ(list, expected);
}

// A window of the editor opens beside the main window where the screen has
// room (shrunk to it if it may), else over it but clear of its title bar and
// controls, and only where that cannot be at its size, covering the least.
TEST(WindowPlacement, BesideElseClearOfTheTitleAndTheControls)
{
    PlacementRequest r{QRect(0, 0, 1920, 1050), QRect(620, 200, 680, 640),
                       {QRect(620, 200, 680, 30), QRect(1153, 250, 120, 250), QRect(625, 650, 640, 80)},
                       QSize(330, 430), QSize(330, 430)};
    EXPECT_EQ(PlaceWindow(r), QRect(1300, 200, 330, 430));
    r.wanted = QSize(1000, 800);
    r.minimum = QSize(420, 400);
    EXPECT_EQ(PlaceWindow(r), QRect(1300, 200, 620, 800));
    // The main window in the middle of a 1280-pixel screen: over its pictures.
    r = {QRect(0, 0, 1280, 1024), QRect(300, 190, 680, 640),
         {QRect(300, 190, 680, 30), QRect(833, 240, 120, 250), QRect(305, 650, 640, 80)}, QSize(330, 400), QSize(330, 400)};
    const QRect over = PlaceWindow(r);
    EXPECT_TRUE(r.available.contains(over) && over.size() == r.wanted);
    for (const QRect& clear : r.keepClear)
        EXPECT_FALSE(over.intersects(clear));
    r.keepClear = {QRect(0, 0, 1280, 500), QRect(0, 520, 1280, 504)};   // nowhere clear
    EXPECT_EQ(PlaceWindow(r).size(), r.wanted);
    EXPECT_TRUE(r.available.contains(PlaceWindow(r)));
}

} // namespace
