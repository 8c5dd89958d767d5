// The pictures the record holds, turned back into pictures that convert into
// the recorded frames exactly, and saved as a picture set.

#include "picture/PictureFile.h"
#include "picture/RenderWheel.h"
#include "picture/WheelPicture.h"
#include "protocol/FactoryPictures.h"
#include "record/WheelRecord.h"
#include "sets/CellRender.h"
#include "sets/RecordAsSet.h"
#include "sets/SetFile.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

#include <QTemporaryDir>

#include <random>

namespace {

// The block a picture is sent in, with its mode byte.
wheel::TransferBlock Block(const wheel::WheelFrame& frame, std::uint8_t mode)
{
    return wheel::PlanPictures({{1, frame}}, mode).front().block;
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

TEST(RecordAsSet, PicturesOfRecordedFramesConvertBackExactly)
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
    for (const wheel::TransferBlock& block : wheel::kFactoryPictures)
        frames.push_back(wheel::FrameOfBlock(block));

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
        record.Box(box) = {true, false, Block(frames[3 + box % 7], box == 5 ? 0 : 1), {}, {}, {}};
    }
    record.Box(7) = {true, true, Block(frames[4], 1), {}, {}, {}};  // being written: not known
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
