#include "picture/RenderWheel.h"
#include "picture/WheelPicture.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <set>

namespace {

using wheel::kWorkSize;

cv::Mat Work(int value) { return cv::Mat(kWorkSize, kWorkSize, CV_8UC1, cv::Scalar(value)); }

wheel::WheelFrame Frame(const cv::Mat& work)
{
    wheel::WheelFrame frame{};
    frame.fill(0x5A);  // every byte must be written
    wheel::RenderFrame(work, frame);
    return frame;
}

bool EntryIs(const wheel::WheelFrame& f, int k, std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    return f[3 * k] == a && f[3 * k + 1] == b && f[3 * k + 2] == c;
}

TEST(RenderWheel, EntryAnglesRunCounterClockwiseFromJustLeftOfUp)
{
    EXPECT_EQ(wheel::EntryAngle(0), 357);
    EXPECT_EQ(wheel::EntryAngle(1), 355);
    EXPECT_EQ(wheel::EntryAngle(2), 353);
    EXPECT_EQ(wheel::EntryAngle(40), 270);
    EXPECT_EQ(wheel::EntryAngle(81), 180);
    EXPECT_EQ(wheel::EntryAngle(122), 90);
    EXPECT_EQ(wheel::EntryAngle(162), 2);
    EXPECT_EQ(wheel::EntryAngle(163), 0);
    std::set<int> angles;
    for (int k = 0; k < wheel::kColumns; ++k) {
        angles.insert(wheel::EntryAngle(k));
        if (k > 0) {
            const int step = wheel::EntryAngle(k - 1) - wheel::EntryAngle(k);
            EXPECT_TRUE(step == 2 || step == 3) << k;
        }
    }
    EXPECT_EQ(angles.size(), 164u);
}

TEST(RenderWheel, AllWhiteAndAllBlackFrames)
{
    for (std::uint8_t b : Frame(Work(255)))
        ASSERT_EQ(b, 0xFF);
    for (std::uint8_t b : Frame(Work(0)))
        ASSERT_EQ(b, 0x00);
}

TEST(RenderWheel, LightMeansAbove50)
{
    for (std::uint8_t b : Frame(Work(50)))
        ASSERT_EQ(b, 0x00);
    for (std::uint8_t b : Frame(Work(51)))
        ASSERT_EQ(b, 0xFF);
}

TEST(RenderWheel, TopHalfDarkShowsTheRightAngleAsymmetry)
{
    cv::Mat work = Work(255);
    work.rowRange(0, 156).setTo(0);
    const wheel::WheelFrame f = Frame(work);
    for (int k = 0; k < 164; ++k) {
        const bool light = k >= 40 && k <= 121;
        EXPECT_TRUE(light ? EntryIs(f, k, 0xFF, 0xFF, 0xFF) : EntryIs(f, k, 0, 0, 0)) << k;
    }
    // 90 degrees falls just short of a right angle: that ray samples row 155,
    // the one at 270 degrees row 156.
    for (int j = 0; j < 24; ++j) {
        EXPECT_EQ(wheel::SamplePoint(155.0 - 4.5 * j, 90).y, 155) << j;
        EXPECT_EQ(wheel::SamplePoint(155.0 - 4.5 * j, 270).y, 156) << j;
    }
}

TEST(RenderWheel, BitOrderOfAnEntry)
{
    // Top centre pixel: radius 155 at angle 0 is entry 163, LED 0.
    cv::Mat work = Work(255);
    EXPECT_EQ(wheel::SamplePoint(155.0, 0), cv::Point(156, 1));
    work.at<uchar>(1, 156) = 0;
    wheel::WheelFrame f = Frame(work);
    EXPECT_EQ(f[489], 0xFE);
    EXPECT_EQ(f[490], 0xFF);
    EXPECT_EQ(f[491], 0xFF);
    EXPECT_EQ(f[486], 0xFF);

    // Entry 163 with LEDs 0, 1 and 9 light: 0x03 0x02 0x00.
    work = Work(0);
    for (int j : {0, 1, 9}) {
        const cv::Point p = wheel::SamplePoint(155.0 - 4.5 * j, 0);
        work.at<uchar>(p.y, p.x) = 255;
    }
    f = Frame(work);
    EXPECT_TRUE(EntryIs(f, 163, 0x03, 0x02, 0x00));
}

int CountColour(const cv::Mat& image, cv::Vec3b colour)
{
    int n = 0;
    for (int y = 0; y < image.rows; ++y)
        for (int x = 0; x < image.cols; ++x)
            n += image.at<cv::Vec3b>(y, x) == colour;
    return n;
}

TEST(RenderWheel, PreviewOfWhiteShowsOnlyTheRim)
{
    cv::Mat preview = wheel::MakeBlankPreview();
    wheel::RenderPreview(Work(255), preview);
    const cv::Vec3b red(0, 0, 255), white(255, 255, 255);
    EXPECT_EQ(CountColour(preview, red) + CountColour(preview, white), kWorkSize * kWorkSize);
    EXPECT_GT(CountColour(preview, red), 0);
    EXPECT_EQ(preview.at<cv::Vec3b>(156, 156), white);
    EXPECT_EQ(preview.at<cv::Vec3b>(0, 156), red);  // top of the rim
    // Inside the rim nothing is red.
    EXPECT_EQ(preview.at<cv::Vec3b>(60, 156), white);
}

TEST(RenderWheel, PreviewOfBlackShowsThreeRings)
{
    cv::Mat preview = wheel::MakeBlankPreview();
    wheel::RenderPreview(Work(0), preview);
    const cv::Vec3b green(0, 255, 0), blue(255, 0, 0), red(0, 0, 255), white(255, 255, 255);
    // Straight up from the centre: red inside, blue in the middle, green outside.
    EXPECT_EQ(preview.at<cv::Vec3b>(156 - 140, 156), green);
    EXPECT_EQ(preview.at<cv::Vec3b>(156 - 100, 156), blue);
    EXPECT_EQ(preview.at<cv::Vec3b>(156 - 60, 156), red);
    EXPECT_EQ(preview.at<cv::Vec3b>(156, 156), white);  // the hub stays empty
    EXPECT_EQ(preview.at<cv::Vec3b>(0, 156), red);       // the rim is drawn last
}

TEST(RenderWheel, RenderingAgainOverwritesEveryDot)
{
    cv::Mat once = wheel::MakeBlankPreview();
    wheel::RenderPreview(Work(255), once);
    cv::Mat twice = wheel::MakeBlankPreview();
    wheel::RenderPreview(Work(0), twice);
    wheel::RenderPreview(Work(255), twice);
    EXPECT_EQ(cv::norm(once, twice, cv::NORM_INF), 0.0);
}

TEST(WheelPicture, RendersOncePerLoadAndSetsTheTrailer)
{
    wheel::WheelPicture picture;
    EXPECT_EQ(picture.RenderWheel(1), wheel::WheelPicture::RenderResult::NoPicture);
    EXPECT_FALSE(picture.PictureLoaded());

    wheel::LoadedPicture loaded;
    loaded.work = Work(255);
    picture.SetPicture(loaded);
    EXPECT_FALSE(picture.PreviewDone());
    EXPECT_EQ(picture.RenderWheel(0), wheel::WheelPicture::RenderResult::Rendered);
    EXPECT_EQ(picture.RenderWheel(1), wheel::WheelPicture::RenderResult::AlreadyRendered);
    const auto& block = picture.Block();
    EXPECT_EQ(block[491], 0xFF);
    EXPECT_EQ(block[492], 0);
    EXPECT_EQ(block[493], 0xAA);
    EXPECT_EQ(block[494], 0xAA);
    EXPECT_EQ(block[495], 0xAA);

    loaded.work = Work(0);
    picture.SetPicture(loaded);
    EXPECT_EQ(picture.RenderWheel(1), wheel::WheelPicture::RenderResult::Rendered);
    EXPECT_EQ(picture.Block()[0], 0);
    EXPECT_EQ(picture.Block()[492], 1);
}

} // namespace

// The preview drawn at 624 pixels: the same dots in the same colours, much
// sharper than the 312 x 312 one stretched.
TEST(RenderWheel, PreviewAtScreenPixelsIsTheSameWheelDrawnSharp)
{
    cv::Mat work = Work(255);
    cv::circle(work, {156, 156}, 150, cv::Scalar(0), cv::FILLED);
    cv::circle(work, {156, 156}, 90, cv::Scalar(255), cv::FILLED);
    cv::Mat preview = wheel::MakeBlankPreview();
    wheel::RenderPreview(work, preview);
    const cv::Mat sharp = wheel::RenderPreviewAt(work, 624);
    EXPECT_EQ(sharp.at<cv::Vec3b>(2 * (156 - 140), 2 * 156), cv::Vec3b(0, 255, 0));
    EXPECT_EQ(sharp.at<cv::Vec3b>(2 * (156 - 100), 2 * 156), cv::Vec3b(255, 0, 0));
    EXPECT_EQ(sharp.at<cv::Vec3b>(2 * 156, 2 * 156), cv::Vec3b(255, 255, 255));
    cv::Mat back, stretched;
    cv::resize(sharp, back, preview.size(), 0, 0, cv::INTER_AREA);
    EXPECT_LT(cv::norm(back, preview, cv::NORM_L1) / back.total(), 3 * 24.0);
    // Pixels of exactly one of the colours: the rest are smeared edges.
    cv::resize(preview, stretched, sharp.size(), 0, 0, cv::INTER_LINEAR);
    auto pure = [](const cv::Mat& image) {
        int n = 0;
        for (auto it = image.begin<cv::Vec3b>(); it != image.end<cv::Vec3b>(); ++it)
            n += (*it)[0] % 255 == 0 && (*it)[1] % 255 == 0 && (*it)[2] % 255 == 0;
        return double(n) / double(image.total());
    };
    EXPECT_GT(pure(sharp), pure(stretched) + 0.1);
}
