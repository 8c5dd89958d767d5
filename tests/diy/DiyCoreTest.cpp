#include "BmpTestFiles.h"

#include "diy/BmpFile.h"
#include "diy/CanvasText.h"
#include "diy/DiyTemplate.h"
#include "diy/TextTracker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

using namespace wheel;
using namespace wheel::bmp;
using wheel::test::BmpLayout;
using wheel::test::MakeBmp;

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

BmpError Parse(const std::vector<std::uint8_t>& bytes, BmpImage* out = nullptr)
{
    BmpImage image;
    const BmpError e = ParseBmp(bytes, image);
    if (out)
        *out = image;
    return e;
}

std::vector<std::uint32_t> Decode(const BmpImage& image)
{
    std::vector<std::uint32_t> px(static_cast<std::size_t>(image.width) * image.height);
    DecodeRows(image, px.data(), static_cast<std::size_t>(image.width));
    return px;
}

} // namespace

// ---- wrapping ---------------------------------------------------------------

TEST(WrapCanvasText, BreaksLettersEveryWUnits)
{
    EXPECT_EQ(WrapCanvasText(U("ABCDEFGHIJ"), 4), U("ABCD\r\nEFGH\r\nIJ"));
    EXPECT_EQ(WrapCanvasText(U(""), 4), U(""));
}

TEST(WrapCanvasText, KeepsDoubleByteCharactersWhole)
{
    // Every GBK byte of these six characters is a lead-byte value.
    EXPECT_EQ(WrapCanvasText(U("风火轮自行车"), 4), U("风火\r\n轮自\r\n行车"));
    EXPECT_EQ(WrapCanvasText(U("风火轮自行车"), 5), U("风火\r\n轮自\r\n行车"));
    // The break moves before the character whose second byte crossed the limit.
    EXPECT_EQ(WrapCanvasText(U("A风火轮"), 4), U("A风\r\n火轮"));
    // A trail byte below 0x81 (丂 is 81 40) must not split the character either.
    EXPECT_EQ(WrapCanvasText(U("A丂丂"), 4), U("A丂\r\n丂"));
}

TEST(WrapCanvasText, UsersOwnLineBreakCountsItsLf)
{
    EXPECT_EQ(WrapCanvasText(U("AB\r\nCDEFG"), 4), U("AB\r\nCDE\r\nFG"));
}

TEST(WrapCanvasText, NarrowBoxesTerminateAndKeepEveryCharacter)
{
    EXPECT_EQ(WrapCanvasText(U("AB中"), 0), U("A\r\nB\r\n中"));
    EXPECT_EQ(WrapCanvasText(U("中文"), 1), U("中\r\n文"));
    EXPECT_EQ(WrapCanvasText(U("X"), 0), U("X"));
}

TEST(WrapCanvasText, CharactersGbkCannotEncodeCountTwoAndStayWhole)
{
    const QString emoji = U("😀");  // a surrogate pair, not in GBK
    EXPECT_EQ(GbkUnits(emoji), 2);
    EXPECT_EQ(GbkUnits(U("A风")), 3);
    EXPECT_EQ(GbkUnits(U("한")), 2);  // Hangul syllables are not in GBK
    const QString wrapped = WrapCanvasText(U("A") + emoji + U("B"), 2);
    EXPECT_EQ(wrapped, U("A\r\n") + emoji + U("\r\nB"));
    QString joined = wrapped;
    joined.remove(U("\r\n"));
    EXPECT_EQ(joined, U("A") + emoji + U("B"));
}

TEST(WrapCanvasText, WidthFromBox)
{
    EXPECT_EQ(WrapWidth(420, 73), 5);
    EXPECT_EQ(WrapWidth(-420, 73), 5);
    EXPECT_EQ(WrapWidth(40, 73), 0);
    EXPECT_EQ(WrapWidth(40, 0), 0);
}

// ---- BMP reading and writing -----------------------------------------------

TEST(BmpFile, TwentyFourBitWithoutImageSizeLoadsAndSavesTheComputedSize)
{
    BmpLayout s;
    s.width = 440;
    s.height = 440;
    s.fill = 0x7F;
    BmpImage image;
    ASSERT_EQ(Parse(MakeBmp(s), &image), BmpError::None);
    EXPECT_EQ(image.imageSize, 580800u);
    EXPECT_EQ(image.bits.size(), 580800u);

    const std::vector<std::uint32_t> px = Decode(image);
    const std::vector<std::uint8_t> out = EncodeBmpFile(image, px.data(), 440);
    ASSERT_EQ(out.size(), 580854u);
    EXPECT_EQ(out[0], 'B');
    EXPECT_EQ(out[1], 'M');
    EXPECT_EQ(test::Get32(out, 2), 0u);     // bfSize stays 0
    EXPECT_EQ(test::Get32(out, 10), 54u);   // bfOffBits
    EXPECT_EQ(test::Get32(out, 14), 40u);   // biSize
    EXPECT_EQ(test::Get32(out, 34), 580800u);
    EXPECT_TRUE(std::equal(out.begin() + 54, out.end(), image.bits.begin()));
}

TEST(BmpFile, RowsArePaddedToFourBytes)
{
    EXPECT_EQ(RowBytes(311, 24), 936u);
    EXPECT_EQ(RowBytes(1, 16), 4u);
    BmpLayout s;
    s.width = 311;
    s.height = 2;
    BmpImage image;
    ASSERT_EQ(Parse(MakeBmp(s), &image), BmpError::None);
    EXPECT_EQ(image.imageSize, 1872u);
}

TEST(BmpFile, RefusesPicturesWithAColourTable)
{
    BmpLayout s;
    s.clrUsed = 5;
    EXPECT_EQ(Parse(MakeBmp(s)), BmpError::NotTrueColour);
    s = {};
    s.bitCount = 8;
    s.masks.assign(256, 0);  // the palette
    EXPECT_EQ(Parse(MakeBmp(s)), BmpError::NotTrueColour);
    EXPECT_STREQ(BmpErrorText(BmpError::NotTrueColour), "本图片不是一个真彩色位图");
}

TEST(BmpFile, RefusesWhatIsNotABmp)
{
    std::vector<std::uint8_t> png = MakeBmp({});
    png[0] = 0x89;
    png[1] = 'P';
    EXPECT_EQ(Parse(png), BmpError::NotBmp);
    EXPECT_EQ(Parse({}), BmpError::CannotRead);
    EXPECT_EQ(Parse(std::vector<std::uint8_t>{'B', 'M', 0, 0}), BmpError::CannotRead);
    EXPECT_STREQ(BmpErrorText(BmpError::NotBmp), "本文件不是位图图片");
    EXPECT_STREQ(BmpErrorText(BmpError::CannotRead), "读取位图文件出错");
}

TEST(BmpFile, SixteenAndThirtyTwoBitsAreAccepted)
{
    BmpLayout s;
    s.width = 2;
    s.height = 1;
    s.bitCount = 16;
    std::vector<std::uint8_t> bytes = MakeBmp(s);
    test::Put16(bytes, 54, 0x7C00);  // red in 5-5-5
    test::Put16(bytes, 56, 0x001F);  // blue
    BmpImage image;
    ASSERT_EQ(Parse(bytes, &image), BmpError::None);
    std::vector<std::uint32_t> px = Decode(image);
    EXPECT_EQ(px[0], 0xFFFF0000u);
    EXPECT_EQ(px[1], 0xFF0000FFu);

    s.bitCount = 32;
    bytes = MakeBmp(s);
    test::Put32(bytes, 54, 0x00123456);
    ASSERT_EQ(Parse(bytes, &image), BmpError::None);
    px = Decode(image);
    EXPECT_EQ(px[0], 0xFF123456u);
}

TEST(BmpFile, ColourMasksSurviveASave)
{
    BmpLayout s;
    s.width = 3;
    s.height = 2;
    s.bitCount = 16;
    s.compression = kBiBitfields;
    s.masks = {0xF800, 0x07E0, 0x001F};  // 5-6-5
    std::vector<std::uint8_t> bytes = MakeBmp(s);
    const std::uint16_t values[] = {0xF800, 0x07E0, 0x001F, 0x1234, 0xFFFF, 0x0841};
    for (int i = 0; i < 3; ++i) {
        test::Put16(bytes, 66 + 2 * i, values[i]);
        test::Put16(bytes, 66 + 8 + 2 * i, values[3 + i]);
    }
    BmpImage image;
    ASSERT_EQ(Parse(bytes, &image), BmpError::None);
    const std::vector<std::uint32_t> px = Decode(image);
    EXPECT_EQ(px[3], 0xFFFF0000u);  // top row is the file's second row

    const std::vector<std::uint8_t> out = EncodeBmpFile(image, px.data(), 3);
    EXPECT_EQ(test::Get32(out, 10), 66u);
    EXPECT_EQ(test::Get32(out, 30), kBiBitfields);
    EXPECT_EQ(test::Get32(out, 54), 0xF800u);
    BmpImage again;
    ASSERT_EQ(Parse(out, &again), BmpError::None);
    EXPECT_EQ(again.bits, image.bits);
    EXPECT_EQ(Decode(again), px);

    BmpLayout t;
    t.bitCount = 32;
    t.compression = kBiBitfields;
    t.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};  // red in the low byte
    bytes = MakeBmp(t);
    test::Put32(bytes, 66, 0x00332211);
    ASSERT_EQ(Parse(bytes, &image), BmpError::None);
    EXPECT_EQ(Decode(image)[8], 0xFF112233u);  // the file's first pixel is the bottom-left one
    const std::vector<std::uint32_t> px32 = Decode(image);
    const std::vector<std::uint8_t> out32 = EncodeBmpFile(image, px32.data(), 4);
    ASSERT_EQ(Parse(out32, &again), BmpError::None);
    EXPECT_EQ(Decode(again), px32);
}

TEST(BmpFile, RefusesWhatTheCanvasCannotShow)
{
    struct Case {
        const char* name;
        BmpLayout layout;
        BmpError expected;
    };
    std::vector<Case> cases;
    auto add = [&](const char* name, auto change, BmpError e) {
        BmpLayout s;
        change(s);
        cases.push_back({name, s, e});
    };
    add("V5 header", [](BmpLayout& s) { s.biSize = 124; s.gap = 84; }, BmpError::Unsupported);
    add("top-down", [](BmpLayout& s) { s.height = -3; }, BmpError::Unsupported);
    add("zero width", [](BmpLayout& s) { s.width = 0; }, BmpError::Unsupported);
    add("info block short", [](BmpLayout& s) { s.offBitsOverride = 40; }, BmpError::Damaged);
    add("offset past the end", [](BmpLayout& s) { s.offBitsOverride = 100000; }, BmpError::Damaged);
    add("bit count 7", [](BmpLayout& s) { s.bitCount = 7; }, BmpError::Unsupported);
    add("bit count 0", [](BmpLayout& s) { s.bitCount = 0; }, BmpError::Unsupported);
    add("run-length", [](BmpLayout& s) { s.compression = 1; }, BmpError::Unsupported);
    add("png inside", [](BmpLayout& s) { s.compression = 5; }, BmpError::Unsupported);
    add("masks on 24 bits", [](BmpLayout& s) { s.compression = 3; s.masks = {0xFF0000, 0xFF00, 0xFF}; },
        BmpError::Unsupported);
    add("masks missing", [](BmpLayout& s) { s.bitCount = 16; s.compression = 3; }, BmpError::Damaged);
    add("empty mask", [](BmpLayout& s) { s.bitCount = 16; s.compression = 3; s.masks = {0xF800, 0, 0x1F}; },
        BmpError::Unsupported);
    add("overlapping masks",
        [](BmpLayout& s) { s.bitCount = 32; s.compression = 3; s.masks = {0xFFFF, 0xFF00, 0xFF}; },
        BmpError::Unsupported);
    add("rows cut short", [](BmpLayout& s) { s.truncateTo = 54 + 20; }, BmpError::Damaged);
    add("image size below the rows", [](BmpLayout& s) { s.sizeImage = 8; }, BmpError::Damaged);
    add("too wide", [](BmpLayout& s) { s.width = 100000; s.height = 1; s.truncateTo = 60; }, BmpError::TooLarge);
    add("too many pixels", [](BmpLayout& s) { s.width = 10000; s.height = 10000; s.truncateTo = 60; },
        BmpError::TooLarge);
    add("width times bits overflows",
        [](BmpLayout& s) { s.width = 0x7FFFFFFF; s.height = 0x7FFFFFFF; s.truncateTo = 60; }, BmpError::TooLarge);

    for (const Case& c : cases) {
        BmpImage image;
        image.width = 123;  // untouched by a refusal
        EXPECT_EQ(ParseBmp(MakeBmp(c.layout), image), c.expected) << c.name;
        EXPECT_EQ(image.width, 123) << c.name;
        EXPECT_TRUE(image.bits.empty()) << c.name;
    }
}

TEST(BmpFile, ReadsFromDisk)
{
    QTemporaryDir dir;
    const std::string path = QFile::encodeName(dir.filePath(U("图.bmp"))).toStdString();
    BmpImage image;
    EXPECT_EQ(ReadBmpFile(path, image), BmpError::CannotRead);
    const std::vector<std::uint8_t> bytes = MakeBmp({});
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
    ASSERT_EQ(ReadBmpFile(path, image), BmpError::None);
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 3);
    BmpLayout cut;
    cut.truncateTo = 60;
    const std::vector<std::uint8_t> shortFile = MakeBmp(cut);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(shortFile.data()), static_cast<std::streamsize>(shortFile.size()));
    EXPECT_EQ(ReadBmpFile(path, image), BmpError::Damaged);
}

// ---- layout and capacity ----------------------------------------------------

TEST(CanvasLayout, CentresSmallerPicturesAndPlacesTheBox)
{
    CanvasLayout l = LayoutCanvas({0, 0, 450, 450}, 440, 440);
    EXPECT_EQ(l.display, (CRect{5, 5, 445, 445}));
    EXPECT_EQ(l.box, (CRect{15, 15, 435, 165}));

    l = LayoutCanvas({0, 0, 450, 450}, 450, 200);  // ratio exactly 1.0 takes the client edges
    EXPECT_EQ(l.display.left, 0);
    EXPECT_EQ(l.display.right, 450);
    EXPECT_EQ(l.display.top, 125);
    EXPECT_EQ(l.box.top, 135);
    EXPECT_EQ(l.box.bottom, 45);  // a low picture gives an inverted box

    l = LayoutCanvas({0, 0, 450, 450}, 311, 600);  // odd difference rounds toward zero
    EXPECT_EQ(l.display, (CRect{69, 0, 380, 450}));
}

TEST(CanvasLayout, TextCapacity)
{
    EXPECT_EQ(TextCapacity(440, 440, 7, 16), 60 * 26);
    EXPECT_EQ(TextCapacity(20, 440, 7, 16), 1);     // a zero product becomes 1
    EXPECT_EQ(TextCapacity(10, 440, 7, 16), -26);   // a negative one is passed on
    EXPECT_EQ(TextCapacity(440, 440, 0, 16), 1);    // no division by zero
}

// ---- text box tracker -------------------------------------------------------

TEST(TextTracker, MinimumSize)
{
    CTextTracker t;
    EXPECT_EQ(t.MinWidth(), 5);
    EXPECT_FALSE(t.SetMinSize(-1, 10));
    EXPECT_FALSE(t.SetMinSize(10, -1));
    EXPECT_EQ(t.MinWidth(), 5);
    EXPECT_EQ(t.MinHeight(), 5);
    ASSERT_TRUE(t.SetMinSize(40, 30));

    CRect r{100, 100, 110, 200};
    t.AdjustRect(CTextTracker::hitRight, r);
    EXPECT_EQ(r, (CRect{100, 100, 140, 200}));  // widened, left edge kept
    r = {100, 100, 200, 105};
    t.AdjustRect(CTextTracker::hitMiddle, r);
    EXPECT_EQ(r, (CRect{100, 100, 200, 130}));
    r = {200, 150, 100, 100};  // dragged inside out
    t.AdjustRect(CTextTracker::hitBottomRight, r);
    EXPECT_EQ(r, (CRect{100, 100, 200, 150}));
    r = {150, 100, 140, 100};
    t.AdjustRect(CTextTracker::hitLeft, r);
    EXPECT_EQ(r, (CRect{140, 100, 180, 130}));

    ASSERT_TRUE(t.SetMinSize(0, 0));
    r = {10, 10, 10, 10};
    t.AdjustRect(CTextTracker::hitMiddle, r);
    EXPECT_EQ(r, (CRect{10, 10, 10, 10}));
    EXPECT_FALSE(t.IsBounded());
}

TEST(TextTracker, BoundsClampWhenSet)
{
    CTextTracker t;
    t.SetBounds(0, 0, 100, 100);
    EXPECT_TRUE(t.IsBounded());
    CRect r{90, 90, 120, 120};
    t.AdjustRect(CTextTracker::hitMiddle, r);
    EXPECT_EQ(r, (CRect{90, 90, 100, 100}));
    r = {98, -10, 99, 5};
    t.AdjustRect(CTextTracker::hitMiddle, r);
    EXPECT_EQ(r, (CRect{95, 0, 100, 5}));
}

TEST(TextTracker, HitsAndDrags)
{
    CTextTracker t(CRect{100, 100, 300, 200}, CTextTracker::dottedLine | CTextTracker::resizeInside);
    t.SetMinSize(30, 20);
    EXPECT_EQ(t.HitTest({50, 50}), CTextTracker::hitNothing);
    EXPECT_EQ(t.HitTest({200, 150}), CTextTracker::hitMiddle);
    EXPECT_EQ(t.HitTest({101, 101}), CTextTracker::hitTopLeft);
    EXPECT_EQ(t.HitTest({298, 198}), CTextTracker::hitBottomRight);
    EXPECT_EQ(t.HitTest({200, 101}), CTextTracker::hitTop);
    EXPECT_EQ(CTextTracker::CursorFor(CTextTracker::hitMiddle), Qt::SizeAllCursor);
    EXPECT_EQ(CTextTracker::CursorFor(CTextTracker::hitRight), Qt::SizeHorCursor);

    ASSERT_TRUE(t.BeginTrack({200, 150}));
    t.MoveTrack({210, 170});
    EXPECT_EQ(t.m_rect, (CRect{100, 100, 300, 200}));  // unchanged until the drag ends
    EXPECT_TRUE(t.EndTrack());
    EXPECT_EQ(t.m_rect, (CRect{110, 120, 310, 220}));

    ASSERT_TRUE(t.BeginTrack({308, 218}));  // bottom-right handle, past the left edge
    t.MoveTrack({50, 218});
    EXPECT_TRUE(t.EndTrack());
    EXPECT_EQ(t.m_rect, (CRect{52, 120, 110, 220}));

    ASSERT_TRUE(t.BeginTrack({80, 170}));
    t.MoveTrack({0, 0});
    t.CancelTrack();
    EXPECT_EQ(t.m_rect, (CRect{52, 120, 110, 220}));
    EXPECT_FALSE(t.BeginTrack({5, 5}));

    t.m_rect = {100, 200, 300, 100};  // an inverted box is hit as its normal form
    EXPECT_EQ(t.HitTest({200, 150}), CTextTracker::hitMiddle);
}

// ---- working file and template ----------------------------------------------

TEST(DiyTemplate, TwoRedCirclesTheOuterClippedToCorners)
{
    const cv::Mat t = MakeDiyTemplate();
    ASSERT_EQ(t.rows, 440);
    ASSERT_EQ(t.cols, 440);
    ASSERT_EQ(t.type(), CV_8UC3);
    const cv::Vec3b white(255, 255, 255), red(0, 0, 255);
    EXPECT_EQ(t.at<cv::Vec3b>(220, 220), white);
    EXPECT_EQ(t.at<cv::Vec3b>(220, 220 + 71), red);
    EXPECT_EQ(t.at<cv::Vec3b>(0, 220), white);   // the outer circle runs off the edges
    EXPECT_EQ(t.at<cv::Vec3b>(220, 439), white);
    int cornerRed = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            cornerRed += t.at<cv::Vec3b>(y, x) == red;
    EXPECT_GT(cornerRed, 50);
}

TEST(DiyTemplate, WrittenAsATwentyFourBitBmpTheCanvasReads)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kDiyPictureName);
    ASSERT_TRUE(WriteDiyTemplate(path));
    BmpImage image;
    ASSERT_EQ(ReadBmpFile(QFile::encodeName(path).toStdString(), image), BmpError::None);
    EXPECT_EQ(image.width, 440);
    EXPECT_EQ(image.height, 440);
    EXPECT_EQ(image.bitCount, 24);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{kDiyPictureName});
}

TEST(DiyTemplate, WorkingFileBesideTheProgramElseInTheDataDirectory)
{
    QTemporaryDir dir;
    EXPECT_EQ(ResolveDiyPicturePath(dir.path(), dir.filePath(U("data"))), dir.filePath(kDiyPictureName));

    // A program directory that cannot take files (here: a plain file).
    QFile blocker(dir.filePath(U("not-a-dir")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString data = dir.filePath(U("data/风火轮"));
    EXPECT_EQ(ResolveDiyPicturePath(blocker.fileName(), data), QDir(data).filePath(kDiyPictureName));
    EXPECT_TRUE(QFileInfo(data).isDir());

    EXPECT_EQ(ResolveDiyPicturePath(blocker.fileName(), blocker.fileName() + U("/sub")), QString());
    QString error;
    EXPECT_FALSE(WriteDiyTemplate(QString(), &error));
    EXPECT_TRUE(error.startsWith(U("无法写入DIY模板图片"))) << error.toStdString();
    EXPECT_FALSE(WriteDiyTemplate(blocker.fileName() + U("/x.bmp"), &error));
    EXPECT_TRUE(error.contains(U("x.bmp")));
}
