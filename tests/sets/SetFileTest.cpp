// Picture set files: what is written reads back, every malformed file is
// refused as a whole, and a missing picture is only its cell's problem.

#include "sets/CellRender.h"
#include "sets/SetFile.h"
#include "sets/SetDownload.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using wheel::FitMode;
using wheel::PictureSet;
using wheel::Rotation;
using wheel::SetCell;
using Reason = wheel::SetFileError::Reason;

class SetFile : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return dir.filePath(name); }
    void Write(const QString& name, const QByteArray& bytes)
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray Read(const QString& name)
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void Picture(const QString& name, int seed)
    {
        cv::Mat picture(120, 160, CV_8UC3, cv::Scalar(255, 255, 255));
        cv::circle(picture, {40 + 10 * seed, 60}, 30, cv::Scalar(0, 0, 0), cv::FILLED);
        ASSERT_TRUE(cv::imwrite(Path(name).toStdString(), picture));
    }
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
};

TEST_F(SetFile, TheIssuesExampleReadsAndWhatIsWrittenReadsBack)
{
    Write(QStringLiteral("example.wheelset"), R"({
  "format": "wheel-set",
  "version": 1,
  "mode48": true,
  "slots": [
    { "box": 1,  "picture": "sunrise.jpg", "rotate": 0, "fit": "stretch", "threshold": "auto", "invert": false },
    { "box": 20, "picture": "logos/club.png", "rotate": 90, "fit": "fit", "threshold": 140, "invert": true },
    { "box": 7, "picture": "plain.png" }
  ]
})");
    wheel::SetFileError error;
    const std::optional<PictureSet> read = wheel::ReadSetFile(Path(QStringLiteral("example.wheelset")), &error);
    ASSERT_TRUE(read) << wheel::SetFileErrorTextEnglish({}, error);
    EXPECT_TRUE(read->mode48);
    EXPECT_EQ(read->FilledCount(), 3);
    EXPECT_EQ(read->Cell(1), (SetCell{Path(QStringLiteral("sunrise.jpg")), {}}));
    EXPECT_EQ(read->Cell(20), (SetCell{Path(QStringLiteral("logos/club.png")), {Rotation::Deg90, 140, true, FitMode::Fit}}));
    EXPECT_EQ(read->Cell(7), (SetCell{Path(QStringLiteral("plain.png")), {}}));  // adjustments left out

    // Saved into another folder: pictures in or below it relative, the
    // others absolute; a "%1" in a name stays as it is.
    PictureSet set = *read;
    set.mode48 = false;
    set.Cell(2) = SetCell{elsewhere.filePath(QStringLiteral("50%1 off.png")), {Rotation::Deg270, 0, false, FitMode::Crop}};
    set.Cell(3) = SetCell{elsewhere.filePath(QStringLiteral("sub/deep/a.png")), {Rotation::Deg180, 254, true, FitMode::Stretch}};
    const QString saved = elsewhere.filePath(QStringLiteral("saved.wheelset"));
    ASSERT_TRUE(wheel::WriteSetFile(set, saved));
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.contains(R"({ "box": 2, "picture": "50%1 off.png", "rotate": 270, "fit": "crop", "threshold": 0, "invert": false })"))
        << bytes.constData();
    EXPECT_TRUE(bytes.contains(R"("picture": "sub/deep/a.png")"));
    EXPECT_TRUE(bytes.contains(("\"picture\": \"" + Path(QStringLiteral("sunrise.jpg")) + "\"").toUtf8()));
    EXPECT_EQ(wheel::ReadSetFile(saved), set);

    // A tone other than the threshold is written and read back, with the
    // manual threshold it keeps for later; the threshold tone is not written.
    EXPECT_FALSE(bytes.contains("tone"));
    for (const wheel::Tone tone : {wheel::Tone::Dither, wheel::Tone::Outline}) {
        set.Cell(3)->adjustments.tone = tone;
        ASSERT_TRUE(wheel::WriteSetFile(set, saved));
        EXPECT_EQ(wheel::ReadSetFile(saved), set);
    }
    QFile again(saved);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_TRUE(again.readAll().contains(R"("threshold": 254, "invert": true, "tone": "outline" })"));
}

TEST_F(SetFile, EveryMalformedFileIsRefusedWithItsReason)
{
    const auto set = [](const QByteArray& slot) {
        return R"({"format": "wheel-set", "version": 1, "slots": [{"box": 1, "picture": "a.png"}, )" + slot + "]}";
    };
    const struct {
        QByteArray json;
        Reason reason;
        int box;
    } cases[] = {
        {"{\"format\": \"wheel-set\", \"version\": 1,", Reason::InvalidJson, 0},
        {"[1, 2]", Reason::NotASet, 0},
        {R"({"format": "wheel-list", "version": 1})", Reason::NotASet, 0},
        {R"({"format": "wheel-set", "version": 2})", Reason::NewerVersion, 0},
        {R"({"format": "wheel-set", "version": "1"})", Reason::BadVersion, 0},
        {R"({"format": "wheel-set", "version": 1, "mode48": 1})", Reason::BadMode48, 0},
        {R"({"format": "wheel-set", "version": 1, "slots": {"box": 1}})", Reason::BadSlots, 0},
        {set(R"({"box": 0, "picture": "b.png"})"), Reason::BadBox, 0},
        {set(R"({"box": 21, "picture": "b.png"})"), Reason::BadBox, 0},
        {set(R"({"box": 2.5, "picture": "b.png"})"), Reason::BadBox, 0},
        {set(R"({"box": 1, "picture": "b.png"})"), Reason::BoxTwice, 1},
        {set(R"({"box": 4})"), Reason::NoPicture, 4},
        {set(R"({"box": 5, "picture": "b.png", "fit": "zoom"})"), Reason::BadFit, 5},
        {set(R"({"box": 6, "picture": "b.png", "rotate": 45})"), Reason::BadRotate, 6},
        {set(R"({"box": 6, "picture": "b.png", "rotate": "90"})"), Reason::BadRotate, 6},
        {set(R"({"box": 8, "picture": "b.png", "threshold": 255})"), Reason::BadThreshold, 8},
        {set(R"({"box": 8, "picture": "b.png", "threshold": -1})"), Reason::BadThreshold, 8},
        {set(R"({"box": 8, "picture": "b.png", "threshold": "140"})"), Reason::BadThreshold, 8},
        {set(R"({"box": 9, "picture": "b.png", "invert": "yes"})"), Reason::BadInvert, 9},
        {set(R"({"box": 10, "picture": "b.png", "tone": "sepia"})"), Reason::BadTone, 10},
        {set(R"({"box": 10, "picture": "b.png", "tone": 1})"), Reason::BadTone, 10},
        {QByteArray(wheel::kMaxSetFileBytes + 1, ' '), Reason::TooLarge, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json.left(120).constData());
        Write(QStringLiteral("bad.wheelset"), c.json);
        wheel::SetFileError error;
        EXPECT_FALSE(wheel::ReadSetFile(Path(QStringLiteral("bad.wheelset")), &error));
        EXPECT_EQ(error.reason, c.reason);
        EXPECT_EQ(error.box, c.box);
    }
    wheel::SetFileError error;
    EXPECT_FALSE(wheel::ReadSetFile(Path(QStringLiteral("none.wheelset")), &error));
    EXPECT_EQ(error.reason, Reason::Missing);

    // One message naming the file and the reason.
    Write(QStringLiteral("bad.wheelset"), set(R"({"box": 6, "picture": "b.png", "rotate": 45})"));
    wheel::ReadSetFile(Path(QStringLiteral("bad.wheelset")), &error);
    EXPECT_EQ(wheel::SetFileErrorTextEnglish(QStringLiteral("bad.wheelset"), error),
              "bad.wheelset: cannot read the picture set: box 6: \"rotate\" must be 0, 90, 180 or 270");
    EXPECT_EQ(wheel::SetFileErrorText(QStringLiteral("bad.wheelset"), error),
              QStringLiteral("无法打开图片组“bad.wheelset”：第6幅的旋转角度只能是0、90、180或270"));
}

// A missing picture leaves the set readable; its cell says why, and the
// download leaves only its box out.
TEST_F(SetFile, AMissingPictureIsItsCellsProblem)
{
    Picture(QStringLiteral("a.png"), 0);
    Picture(QStringLiteral("c.png"), 5);
    Write(QStringLiteral("set.wheelset"), R"({"format": "wheel-set", "version": 1, "mode48": false, "slots": [
        {"box": 3, "picture": "c.png"}, {"box": 1, "picture": "a.png"}, {"box": 2, "picture": "gone.png"}]})");
    const std::optional<PictureSet> set = wheel::ReadSetFile(Path(QStringLiteral("set.wheelset")));
    ASSERT_TRUE(set);
    wheel::CellRenderings rendered;
    for (int box : {1, 2, 3})
        rendered[box - 1] = wheel::RenderCell(*set->Cell(box), set->mode48);
    EXPECT_EQ(rendered[1]->error, wheel::LoadError::Missing);
    EXPECT_TRUE(rendered[1]->preview.empty());
    ASSERT_TRUE(*rendered[0]);
    EXPECT_EQ(rendered[0]->preview.size(), cv::Size(wheel::kCellPreviewSize, wheel::kCellPreviewSize));

    const wheel::SetDownload download = wheel::PlanSetDownload(*set, rendered);
    EXPECT_EQ(download.skipped, std::vector<int>{2});
    ASSERT_EQ(download.pictures.size(), 2u);
    EXPECT_EQ(download.pictures[0].slot, 1);
    EXPECT_EQ(download.pictures[1].slot, 3);
    EXPECT_EQ(download.pictures[0].block[492], 0);  // the set's mode
    EXPECT_EQ(download.pictures[0].block[493], 0xAA);
    EXPECT_EQ(download.pictures[1].block[493], 0xBB);
    EXPECT_EQ(download.names.Of(3).name, QStringLiteral("c.png"));
}

} // namespace
