// The record of what the wheel light holds: kept through a download that is
// unplugged half way; never written through a link or into anything but a
// regular file, never replaced when it cannot be read, a damaged one kept
// aside, the reason of a failed write named.

#include "../protocol/FakeWheel.h"

#include "record/RecordKeeper.h"
#include "tests/support/OrdinaryUser.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

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

    wheel::RecordNews news;
    const wheel::WheelRecord record = wheel::ReadRecord(path, &news);
    EXPECT_TRUE(news.Ok()) << wheel::RecordNewsTextEnglish(news);
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
    EXPECT_FALSE(wheel::ReadRecord(path, &news).Box(1).known);
    EXPECT_EQ(news.status, wheel::RecordNews::Status::Damaged);
}

using Status = wheel::RecordNews::Status;
using Why = wheel::RecordNews::Why;

std::string Contents(const QString& path)
{
    std::ifstream in(path.toStdString());
    return {std::istreambuf_iterator<char>(in), {}};
}

class RecordFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("record.json"));
        local = path.toStdString();
    }
    // A download into box 1 that the wheel light confirmed, as the keeper
    // hears of it; the news of its start and of its end.
    std::pair<wheel::RecordNews, wheel::RecordNews> Download()
    {
        wheel::RecordKeeper keeper(path);
        const auto pictures = wheel::PlanPictures({{1, Frame(9)}}, 1);
        const wheel::RecordNews started = keeper.Started({1}, {{}, wheel::PictureName::OfFile(QStringLiteral("/p/a.png"))});
        return {started, keeper.Ended({pictures, {}})};
    }
    QTemporaryDir dir;
    QString path;
    std::string local;
};

// A link, a FIFO or a folder where the record belongs is left exactly as it
// is: the record is unavailable, said once per download, and nothing waits.
TEST_F(RecordFile, WhatIsNoRegularFileIsLeftAsItIs)
{
    const std::string target = dir.filePath(QStringLiteral("notes.txt")).toStdString();
    std::ofstream(target) << "my notes";
    ASSERT_EQ(::symlink(target.c_str(), local.c_str()), 0);
    auto [started, ended] = Download();
    EXPECT_EQ(started.status, Status::Unavailable);
    EXPECT_EQ(started.why, Why::Link);
    EXPECT_FALSE(started.repeated);
    EXPECT_TRUE(ended.repeated);
    EXPECT_EQ(Contents(QString::fromStdString(target)), "my notes");
    struct stat st {};
    ASSERT_EQ(::lstat(local.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(wheel::RecordNewsTextEnglish(started),
              "the record of the wheel light's slots " + local
                  + " cannot be used: it is a symbolic link, not a regular file; it is left as it is and not kept");
    wheel::RecordNews read;
    wheel::ReadRecord(path, &read);
    EXPECT_EQ(read.status, Status::Unavailable);

    ASSERT_EQ(::unlink(local.c_str()), 0);
    ASSERT_EQ(::mkfifo(local.c_str(), 0600), 0);
    EXPECT_EQ(Download().first.why, Why::NotRegular);
    ASSERT_EQ(::lstat(local.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    ASSERT_EQ(::unlink(local.c_str()), 0);
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_EQ(Download().first.why, Why::Folder);
    EXPECT_TRUE(QDir(path).exists());
}

// A record the user may not read is not replaced: its entries come back
// once it can be read again.
TEST_F(RecordFile, AnUnreadableRecordIsNeverReplaced)
{
    Download();
    const std::string before = Contents(path);
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0777), 0);
    ASSERT_TRUE(wheeltest::GiveToOrdinaryUser(local.c_str()));
    ASSERT_EQ(::chmod(local.c_str(), 0), 0);
    EXPECT_TRUE(wheeltest::AsOrdinaryUser([&] {
        const wheel::RecordNews news = Download().first;
        return news.status == Status::Unavailable && news.systemReason == "Permission denied";
    }));
    ASSERT_EQ(::chmod(local.c_str(), 0600), 0);
    EXPECT_EQ(Contents(path), before);
    EXPECT_TRUE(wheel::ReadRecord(path).Box(1).Holds());
}

// One that can be read but is none of ours goes aside before a new one is
// started; hidden temporaries a killed writer left behind go.
TEST_F(RecordFile, ADamagedRecordIsKeptAsideAndLeftoversGo)
{
    std::ofstream(local) << "{ half a record";
    const std::string leftover = dir.filePath(QStringLiteral(".record.json.k7x2qa")).toStdString();
    const std::string someoneElses = dir.filePath(QStringLiteral(".record.json.notes")).toStdString();
    std::ofstream(leftover) << "{";
    std::ofstream(someoneElses) << "mine";
    const wheel::RecordNews news = Download().first;
    ASSERT_TRUE(news.Ok());
    ASSERT_TRUE(news.movedTo.startsWith(path + QStringLiteral(".damaged-"))) << news.movedTo.toStdString();
    EXPECT_EQ(Contents(news.movedTo), "{ half a record");
    EXPECT_NE(wheel::RecordNewsTextEnglish(news).find("it is kept as " + news.movedTo.toStdString()), std::string::npos);
    EXPECT_TRUE(wheel::ReadRecord(path).Box(1).Holds());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(leftover)));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(someoneElses)));
}

// A record that cannot be written names the system's reason, not a lock.
TEST_F(RecordFile, AFailedWriteNamesTheRealReason)
{
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0555), 0);
    EXPECT_TRUE(wheeltest::AsOrdinaryUser([&] {
        const wheel::RecordNews news = Download().first;
        return news.status == Status::Unwritable && news.systemReason == "Permission denied"
            && wheel::RecordNewsTextEnglish(news).ends_with("Permission denied; the record may now be out of date");
    }));
    ::chmod(dir.path().toLocal8Bit().constData(), 0700);
}

} // namespace
