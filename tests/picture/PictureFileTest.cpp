#include "picture/Binarize.h"
#include "picture/PictureFile.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using wheel::LoadError;

class PictureFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("wheel-picture-" + std::to_string(::getpid()) + "-"
                                           + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const std::string& name) const { return (dir / name).string(); }

    std::string WriteBytes(const std::string& name, const std::vector<uchar>& bytes) const
    {
        std::ofstream out(Path(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return Path(name);
    }

    static std::vector<uchar> Encode(const std::string& ext, const cv::Mat& image)
    {
        std::vector<uchar> bytes;
        EXPECT_TRUE(cv::imencode(ext, image, bytes));
        return bytes;
    }

    static cv::Mat Drawing(int w, int h)
    {
        cv::Mat image(h, w, CV_8UC3, cv::Scalar(240, 230, 220));
        cv::circle(image, {w / 3, h / 2}, std::min(w, h) / 4, cv::Scalar(20, 40, 200), cv::FILLED);
        cv::rectangle(image, {w / 2, h / 4}, {w - 5, h - 5}, cv::Scalar(10, 10, 10), cv::FILLED);
        return image;
    }

    fs::path dir;
};

TEST_F(PictureFileTest, LoadsEachFormatAsTheDecoderDoes)
{
    const cv::Mat drawing = Drawing(400, 300);
    for (const std::string ext : {".png", ".jpg", ".bmp"}) {
        const std::string path = WriteBytes("p" + ext, Encode(ext, drawing));
        const wheel::LoadResult result = wheel::LoadPicture(path);
        ASSERT_TRUE(result) << ext << " " << wheel::LoadErrorText(result.error);
        EXPECT_EQ(result.picture.work.size(), cv::Size(312, 312));
        EXPECT_EQ(result.picture.work.type(), CV_8UC1);
        EXPECT_EQ(result.picture.original.type(), CV_8UC3);
        EXPECT_EQ(result.picture.header.width, 400);
        EXPECT_EQ(result.picture.header.height, 300);

        // The working picture is exactly: grey decode, Otsu, bilinear 312 x 312.
        cv::Mat gray = cv::imread(path, cv::IMREAD_GRAYSCALE);
        wheel::BinarizeOtsu(gray);
        cv::Mat expected;
        cv::resize(gray, expected, cv::Size(312, 312), 0, 0, cv::INTER_LINEAR);
        EXPECT_EQ(cv::norm(expected, result.picture.work, cv::NORM_INF), 0.0) << ext;
        // The light ground stays light: the split falls between the drawing's
        // greys, never past the lightest of them.
        EXPECT_GT(cv::countNonZero(result.picture.work), 312 * 312 / 3) << ext;
    }
}

TEST_F(PictureFileTest, WidePictureIsStretchedToTheSquare)
{
    cv::Mat wide(160, 640, CV_8UC3, cv::Scalar(255, 255, 255));
    wide.colRange(0, 320).setTo(cv::Scalar(0, 0, 0));
    const wheel::LoadResult result = wheel::LoadPicture(WriteBytes("wide.png", Encode(".png", wide)));
    ASSERT_TRUE(result);
    EXPECT_EQ(result.picture.work.at<uchar>(0, 10), 0);
    EXPECT_EQ(result.picture.work.at<uchar>(311, 300), 255);
    EXPECT_EQ(result.picture.original.size(), cv::Size(640, 160));
}

// A JPEG stored on its side with EXIF orientation 6 ("turn 90 degrees
// clockwise to show") opens upright, in the work and the reduced colour copy.
TEST_F(PictureFileTest, JpegStandsAsItsExifOrientationSays)
{
    cv::Mat stored(1200, 2400, CV_8UC3, cv::Scalar(255, 255, 255));
    stored(cv::Rect(0, 0, 600, 600)).setTo(cv::Scalar(0, 0, 0));  // dark top-left corner as stored
    std::vector<uchar> jpeg = Encode(".jpg", stored);
    // APP1 "Exif", big-endian TIFF header, one IFD entry: tag 0x0112 SHORT 1 = 6.
    const std::vector<uchar> app1 = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                                     0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0};
    jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());

    const wheel::LoadResult upright = wheel::LoadPicture(WriteBytes("rotated.jpg", jpeg));
    ASSERT_TRUE(upright) << wheel::LoadErrorText(upright.error);
    EXPECT_EQ(upright.picture.work.at<uchar>(39, 273), 0);  // now the top-right corner
    EXPECT_EQ(upright.picture.work.at<uchar>(39, 39), 255);
    EXPECT_EQ(upright.picture.work.at<uchar>(273, 273), 255);
    EXPECT_EQ(upright.picture.original.size(), cv::Size(600, 1200));
    EXPECT_LT(cv::mean(upright.picture.original(cv::Rect(450, 0, 150, 150)))[0], 30.0);
}

TEST_F(PictureFileTest, LargePictureKeepsAReducedColourCopyOnly)
{
    const std::string path = WriteBytes("big.jpg", Encode(".jpg", Drawing(4096, 2048)));
    const wheel::LoadResult result = wheel::LoadPicture(path);
    ASSERT_TRUE(result);
    EXPECT_EQ(result.picture.original.size(), cv::Size(1024, 512));
    EXPECT_EQ(result.picture.header.width, 4096);
}

TEST_F(PictureFileTest, RefusesBadFilesWithTheirReason)
{
    const std::vector<uchar> png = Encode(".png", Drawing(64, 48));
    const std::vector<uchar> jpg = Encode(".jpg", Drawing(64, 48));
    const std::vector<uchar> bmp = Encode(".bmp", Drawing(64, 48));
    auto cut = [](std::vector<uchar> v, std::size_t keep) { v.resize(keep); return v; };

    struct Case {
        std::string name;
        std::vector<uchar> bytes;
        LoadError expected;
    };
    const std::vector<Case> cases = {
        {"empty.png", {}, LoadError::Empty},
        {"text.png", {'h', 'e', 'l', 'l', 'o', '\n'}, LoadError::NotAPicture},
        {"gif.png", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, LoadError::NotAPicture},
        {"half.png", cut(png, png.size() / 2), LoadError::Truncated},
        {"sig.png", cut(png, 8), LoadError::Truncated},
        {"half.jpg", cut(jpg, jpg.size() / 2), LoadError::Truncated},
        {"soi.jpg", {0xFF, 0xD8, 0xFF}, LoadError::Truncated},
        {"half.bmp", cut(bmp, bmp.size() / 2), LoadError::Truncated},
        {"head.bmp", cut(bmp, 20), LoadError::Truncated},
    };
    for (const Case& c : cases) {
        const wheel::LoadResult result = wheel::LoadPicture(WriteBytes(c.name, c.bytes));
        EXPECT_EQ(result.error, c.expected) << c.name;
        EXPECT_TRUE(result.picture.work.empty()) << c.name;
    }
    EXPECT_EQ(wheel::LoadPicture(Path("nowhere.png")).error, LoadError::Missing);
    EXPECT_EQ(wheel::LoadPicture(dir.string()).error, LoadError::Unreadable);
}

TEST_F(PictureFileTest, RefusesHugeDimensionsBeforeDecoding)
{
    // A complete, valid PNG whose header claims 20000 x 20000 pixels would need
    // 1.2 GB to decode; only the header is read.
    std::vector<uchar> png = Encode(".png", cv::Mat(1, 1, CV_8UC1, cv::Scalar(0)));
    auto put32 = [&png](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            png[at + i] = uchar(v >> (24 - 8 * i));
    };
    put32(16, 20000);
    put32(20, 20000);
    EXPECT_EQ(wheel::LoadPicture(WriteBytes("huge.png", png)).error, LoadError::TooLarge);

    wheel::PictureHeader header;
    EXPECT_EQ(wheel::ProbePicture(Path("huge.png"), header), LoadError::TooLarge);
    EXPECT_EQ(header.width, 20000);

    // The same for a JPEG frame header of 65535 x 65535.
    std::vector<uchar> jpg = Encode(".jpg", Drawing(16, 16));
    for (std::size_t i = 2; i + 8 < jpg.size(); ++i) {
        if (jpg[i] == 0xFF && jpg[i + 1] == 0xC0) {
            jpg[i + 5] = jpg[i + 6] = jpg[i + 7] = jpg[i + 8] = 0xFF;
            break;
        }
    }
    EXPECT_EQ(wheel::LoadPicture(WriteBytes("huge.jpg", jpg)).error, LoadError::TooLarge);
}

TEST_F(PictureFileTest, CorruptDataInsideACompleteFileIsADecodeFailure)
{
    std::vector<uchar> png = Encode(".png", Drawing(64, 48));
    // Scribble over the compressed data, keep the header and IEND.
    for (std::size_t i = 40; i < png.size() - 20; ++i)
        png[i] = uchar(i * 37);
    const wheel::LoadResult result = wheel::LoadPicture(WriteBytes("scribbled.png", png));
    EXPECT_EQ(result.error, LoadError::DecodeFailed);
}

} // namespace
