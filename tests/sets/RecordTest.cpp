// The record of what the wheel light holds: kept through a download that is
// unplugged half way, and turned back into pictures that convert into the
// recorded frames exactly.

#include "../protocol/FakeWheel.h"

#include "picture/PictureFile.h"
#include "picture/RenderWheel.h"
#include "picture/WheelPicture.h"
#include "protocol/FactoryPictures.h"
#include "sets/CellRender.h"
#include "sets/RecordSet.h"
#include "sets/WheelRecord.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

#include <QTemporaryDir>

#include <random>

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

// The frame a picture file converts into with the default adjustments.
wheel::WheelFrame Converted(const std::string& path)
{
    wheel::LoadResult loaded = wheel::LoadPicture(path);
    EXPECT_TRUE(loaded) << path;
    wheel::WheelPicture picture;
    picture.SetPicture(std::move(loaded.picture));
    picture.RenderWheel(1);
    return picture.Frame();
}

TEST(Record, PicturesOfRecordedFramesConvertBackExactly)
{
    std::vector<wheel::WheelFrame> frames;
    frames.push_back({});
    wheel::WheelFrame ones;
    ones.fill(0xFF);
    frames.push_back(ones);
    // Dense patterns: every LED unlike its neighbours on the ring and on the
    // ray, down to the innermost ring where neighbouring samples are two
    // pixels apart; and the inner third flickering column by column.
    wheel::WheelFrame checker{}, inner{};
    for (int k = 0; k < wheel::kColumns; ++k)
        for (int j = 0; j < wheel::kLeds; ++j) {
            const auto bit = static_cast<std::uint8_t>(1u << (j % 8));
            if ((k + j) % 2)
                checker[3 * k + j / 8] |= bit;
            if (j < 16 || k % 2)
                inner[3 * k + j / 8] |= bit;
        }
    frames.push_back(checker);
    frames.push_back(inner);
    std::mt19937 random(7);
    for (int n = 0; n < 4; ++n) {
        wheel::WheelFrame noise;
        for (auto& byte : noise)
            byte = static_cast<std::uint8_t>(random());
        frames.push_back(noise);
    }
    for (const wheel::TransferBlock& block : wheel::kFactoryPictures) {
        frames.push_back(wheel::FrameOfBlock(block));
    }

    QTemporaryDir dir;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        const cv::Mat picture = wheel::PictureOfFrame(frames[i]);
        ASSERT_EQ(picture.size(), cv::Size(312, 312));
        const std::string path = dir.filePath(QStringLiteral("f%1.png").arg(i)).toStdString();
        ASSERT_TRUE(cv::imwrite(path, picture));
        EXPECT_EQ(Converted(path), frames[i]);
    }

    // The record as a set: a picture per known box, read back and rendered.
    wheel::WheelRecord record;
    for (int box : {1, 5, 20}) {
        record.Box(box) = {true, false, Block(frames[3 + box % 7], box == 5 ? 0 : 1, 0xAA), {}, {}, {}};
    }
    record.Box(7) = {true, true, Block(frames[4], 1, 0xAA), {}, {}, {}};  // being written: not known
    const QString setPath = dir.filePath(QStringLiteral("wheel.wheelset"));
    ASSERT_EQ(wheel::SaveRecordAsSet(record, setPath), wheel::RecordSetResult::Saved);
    const std::optional<wheel::PictureSet> set = wheel::ReadSetFile(setPath);
    ASSERT_TRUE(set);
    EXPECT_TRUE(set->mode48);  // as two of the three were sent
    EXPECT_EQ(set->FilledCount(), 3);
    EXPECT_EQ(set->Cell(5)->picture, dir.filePath(QStringLiteral("wheel-05.png")));
    for (int box : {1, 5, 20}) {
        const wheel::CellRendering cell = wheel::RenderCell(*set->Cell(box), true);
        EXPECT_TRUE(std::equal(cell.block.begin(), cell.block.begin() + 492, record.Box(box).block.begin())) << box;
    }
    // The files the window asks about before they are replaced.
    EXPECT_EQ(wheel::RecordSetPictures(record, setPath),
              QStringList({dir.filePath(QStringLiteral("wheel-01.png")), dir.filePath(QStringLiteral("wheel-05.png")),
                           dir.filePath(QStringLiteral("wheel-20.png"))}));
    EXPECT_EQ(wheel::SaveRecordAsSet(wheel::WheelRecord{}, setPath), wheel::RecordSetResult::NothingKnown);
}

} // namespace
