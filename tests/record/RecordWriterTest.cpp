// The record writer keeps the record on its own thread, in order, and
// finishes what is queued before it goes.

#include "record/RecordWriter.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <atomic>
#include <thread>

namespace {

TEST(RecordWriter, WritesInOrderOnItsThreadAndFinishesBeforeItGoes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("record.json"));
    std::atomic<int> written{0};
    {
        wheel::RecordWriter writer(path, [&](const QString& problem) {
            EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
            ++written;
        });
        wheel::WheelFrame frame{};
        frame.fill(0x0F);
        const auto pictures = wheel::PlanPictures({{1, frame}, {20, frame}}, 1);
        writer.Started({1, 0}, {{}, wheel::PictureName::OfFile(QStringLiteral("/a/b.png"))});
        // The end comes from the thread that hears the wheel light.
        std::thread([&] { writer.Ended({{pictures[0]}, {0}}); }).join();
    }
    EXPECT_EQ(written, 2);
    const wheel::WheelRecord record = wheel::ReadRecord(path);
    EXPECT_TRUE(record.Box(1).Holds());
    EXPECT_EQ(record.Box(1).name, QStringLiteral("b.png"));
    EXPECT_FALSE(record.Box(20).known);
}

} // namespace
