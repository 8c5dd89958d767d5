// The record of what the wheel light holds: kept through a download that is
// unplugged half way.

#include "../protocol/FakeWheel.h"

#include "record/WheelRecord.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

using wheeltest::FakeWheel;
using wheeltest::RecordingView;

// The window's view: the record is kept as the protocol reports.
class KeepingView : public RecordingView {
public:
    explicit KeepingView(const QString& path) : keeper(path) {}
    void DownloadStarting(const std::vector<std::uint8_t>& slotBytes) override { keeper.Started(slotBytes, names); }
    void DownloadEnded(const wheel::DownloadOutcome& outcome) override { keeper.Ended(outcome); }
    wheel::RecordKeeper keeper;
    wheel::SlotNames names;
};

wheel::WheelFrame Frame(std::uint8_t seed)
{
    wheel::WheelFrame frame{};
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<std::uint8_t>(i * 13 + seed);
    return frame;
}

// The block the wheel light is sent: frame, mode, marker, AA, AA.
wheel::TransferBlock Block(const wheel::WheelFrame& frame, std::uint8_t mode, std::uint8_t marker)
{
    wheel::TransferBlock block{};
    std::copy(frame.begin(), frame.end(), block.begin());
    block[492] = mode;
    block[493] = marker;
    block[494] = block[495] = 0xAA;
    return block;
}

TEST(Record, AnUnplugLeavesTheUnfinishedSlotUnknownAndKeepsTheRest)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("record.json"));
    KeepingView view(path);
    FakeWheel wheel(view);
    wheel::WheelProtocol protocol(wheel, view);

    // Earlier: a picture into box 3.
    view.names = {{}, wheel::PictureName::OfFile(QStringLiteral("/pictures/old.png"))};
    ASSERT_TRUE(protocol.OnDownloadPictures(wheel::PlanPictures({{3, Frame(1)}}, 1)));
    wheel.Pump(protocol);

    // A set into boxes 1, 2 and 3, pulled out during its second picture.
    view.names = {{{1, wheel::PictureName::OfFile(QStringLiteral("/pictures/one.png"))},
                   {2, wheel::PictureName::OfFile(QStringLiteral("/pictures/two.png"))},
                   {3, wheel::PictureName::OfFile(QStringLiteral("/pictures/three.png"))}},
                  {}};
    ASSERT_TRUE(protocol.OnDownloadPictures(wheel::PlanPictures({{2, Frame(3)}, {1, Frame(2)}, {3, Frame(4)}}, 0)));
    ASSERT_EQ(wheel.Pump(protocol, 8 + 3), 11);
    {
        // Meanwhile the three slots are being written: none counts as known.
        const wheel::WheelRecord running = wheel::ReadRecord(path);
        for (int box : {1, 2, 3})
            EXPECT_FALSE(running.Box(box).Holds()) << box;
    }
    wheel.DropAnswers();
    protocol.OnDeviceRemoved();

    QString problem;
    const wheel::WheelRecord record = wheel::ReadRecord(path, &problem);
    EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
    ASSERT_TRUE(record.Box(1).Holds());
    EXPECT_EQ(record.Box(1).block, Block(Frame(2), 0, 0xAA));
    EXPECT_EQ(record.Box(1).name, QStringLiteral("one.png"));
    EXPECT_EQ(record.Box(1).path, QStringLiteral("/pictures/one.png"));
    EXPECT_LE(std::abs(record.Box(1).time.secsTo(QDateTime::currentDateTime())), 60);
    EXPECT_FALSE(record.Box(2).known);  // touched, not confirmed
    ASSERT_TRUE(record.Box(3).Holds());  // never reached: as before
    EXPECT_EQ(record.Box(3).name, QStringLiteral("old.png"));
    EXPECT_EQ(record.Box(3).block, Block(Frame(1), 1, 0xBB));
    for (int box = 4; box <= wheel::kSlotBoxes; ++box)
        EXPECT_FALSE(record.Box(box).known) << box;

    // A damaged record reads as all unknown, saying so.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"format\": \"wheel-record\", \"version\": 1, \"slots\": [{\"box\": 1, \"state\": \"known\"}]}");
    file.close();
    EXPECT_FALSE(wheel::ReadRecord(path, &problem).Box(1).known);
    EXPECT_FALSE(problem.isEmpty());
}

} // namespace
