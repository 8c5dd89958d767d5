#include "picture/PictureFile.h"
#include "picture/RenderWheel.h"
#include "picture/WheelPicture.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using wheel::FitMode;
using wheel::PictureAdjustments;
using wheel::Rotation;

// A grey drawing with soft edges that looks different turned or mirrored.
cv::Mat Drawing(int w, int h)
{
    cv::Mat m(h, w, CV_8UC1, cv::Scalar(230));
    cv::circle(m, {w / 3, h / 3}, std::min(w, h) / 4, cv::Scalar(30), cv::FILLED, cv::LINE_AA);
    cv::rectangle(m, {w * 3 / 4, 5}, {w - 5, h / 3}, cv::Scalar(110), cv::FILLED);
    cv::putText(m, "R7", {w / 4, h * 7 / 8}, cv::FONT_HERSHEY_SIMPLEX, std::min(w, h) / 90.0, cv::Scalar(60), 4,
                cv::LINE_AA);
    return m;
}

PictureAdjustments With(Rotation rotate, std::optional<int> threshold = {}, bool invert = false,
                        FitMode fit = FitMode::Stretch)
{
    PictureAdjustments a;
    a.rotate = rotate;
    a.threshold = threshold;
    a.invert = invert;
    a.fit = fit;
    return a;
}

bool Bit(const wheel::WheelFrame& f, int entry, int led)
{
    return (f[3 * entry + led / 8] >> (led % 8)) & 1;
}

class AdjustTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("wheel-adjust-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Write(const std::string& name, const cv::Mat& image) const
    {
        const std::string path = (dir / name).string();
        EXPECT_TRUE(cv::imwrite(path, image));
        return path;
    }
    static wheel::LoadedPicture Load(const std::string& path, const PictureAdjustments& adjustments = {})
    {
        wheel::LoadOptions options;
        options.adjustments = adjustments;
        wheel::LoadResult result = wheel::LoadPicture(path, options);
        EXPECT_TRUE(result) << path;
        return result.picture;
    }
    static wheel::WheelFrame Frame(const std::string& path, const PictureAdjustments& adjustments = {})
    {
        wheel::WheelPicture picture;
        picture.SetPicture(Load(path, adjustments));
        picture.RenderWheel(1);
        return picture.Frame();
    }
    fs::path dir;
};

TEST_F(AdjustTest, InvertFlipsEveryBitOfTheFrame)
{
    const std::string path = Write("p.png", Drawing(300, 200));
    for (PictureAdjustments a : {With(Rotation::Deg0), With(Rotation::Deg90, 100, false, FitMode::Crop)}) {
        const wheel::WheelFrame plain = Frame(path, a);
        a.invert = true;
        const wheel::WheelFrame inverted = Frame(path, a);
        for (std::size_t i = 0; i < wheel::kFrameBytes; ++i)
            ASSERT_EQ(plain[i] ^ inverted[i], 0xFF) << i;
    }
}

TEST_F(AdjustTest, ManualThresholdsZeroAnd254)
{
    // A value at the threshold is dark (all bits 0), one above it light.
    for (const auto& [value, threshold] : {std::pair{0, 0}, {1, 0}, {254, 254}, {255, 254}}) {
        const std::string path = Write("flat.png", cv::Mat(40, 60, CV_8UC1, cv::Scalar(value)));
        for (std::uint8_t byte : Frame(path, With(Rotation::Deg0, threshold)))
            ASSERT_EQ(byte, value > threshold ? 0xFF : 0x00) << value << " " << threshold;
    }
}

TEST_F(AdjustTest, FitPadsWithUnlitMarginsAndCropKeepsTheCentre)
{
    // A 2:1 picture lands in rows 78 to 233 of the working picture: rays in
    // the margins stay unlit (1), inverted or not, and the picture lights.
    for (const bool invert : {false, true}) {
        const std::string path = Write("wide.png", cv::Mat(200, 400, CV_8UC1, cv::Scalar(invert ? 255 : 0)));
        const wheel::WheelFrame f = Frame(path, With(Rotation::Deg0, {}, invert, FitMode::Fit));
        for (int k = 0; k < wheel::kColumns; ++k)
            for (int j = 0; j < wheel::kLeds; ++j) {
                const int y = wheel::SamplePoint(155.0 - 4.5 * j, wheel::EntryAngle(k)).y;
                if (y < 76 || y > 236 || (y > 80 && y < 232)) {
                    ASSERT_EQ(Bit(f, k, j), y < 76 || y > 236) << k << " " << j;
                }
            }
    }
    // An odd difference: floor(151 / 2) = 75 columns before the picture.
    const cv::Mat tall = Drawing(150, 301);
    cv::Mat padded(301, 301, CV_8UC1, cv::Scalar(255));
    tall.copyTo(padded(cv::Rect(75, 0, 150, 301)));
    const std::string path = Write("tall.png", tall);
    const PictureAdjustments at128 = With(Rotation::Deg0, 128);
    EXPECT_EQ(Frame(path, With(Rotation::Deg0, 128, false, FitMode::Fit)), Frame(Write("padded.png", padded), at128));
    EXPECT_EQ(Frame(path, With(Rotation::Deg0, 128, false, FitMode::Crop)),
              Frame(Write("centre.png", tall.rowRange(75, 225).clone()), at128));
}

TEST_F(AdjustTest, OpenPictureAdjustsAsALoadWouldAndANewOneStartsFromDefaults)
{
    cv::Mat colour;
    cv::cvtColor(Drawing(300, 200), colour, cv::COLOR_GRAY2BGR);
    const std::string path = Write("p.png", colour);
    wheel::LoadOptions keep;
    keep.keepGray = true;
    wheel::WheelPicture picture;
    picture.SetPicture(wheel::LoadPicture(path, keep).picture);
    const cv::Mat plain = picture.Work().clone();

    // Each step from the one before, as the adjustments window makes them.
    const std::pair<PictureAdjustments, cv::Size> steps[] = {
        {With(Rotation::Deg90), {200, 300}},
        {With(Rotation::Deg90, {}, false, FitMode::Fit), {300, 300}},
        {With(Rotation::Deg90, 100, false, FitMode::Fit), {300, 300}},
        {With(Rotation::Deg270, 100, true), {200, 300}},
        {With(Rotation::Deg180, {}, true, FitMode::Crop), {200, 200}},
    };
    for (const auto& [adjustments, shown] : steps) {
        ASSERT_TRUE(picture.Adjust(adjustments));
        EXPECT_EQ(cv::norm(picture.Work(), Load(path, adjustments).work, cv::NORM_INF), 0.0);
        EXPECT_EQ(picture.Shown().size(), shown);
        EXPECT_EQ(picture.RenderWheel(1), wheel::WheelPicture::RenderResult::Rendered);
    }
    EXPECT_FALSE(picture.Adjust(With(Rotation::Deg0, 255)));
    EXPECT_EQ(picture.Adjustments(), steps[4].first);

    ASSERT_TRUE(picture.Adjust({}));
    EXPECT_EQ(cv::norm(picture.Work(), plain, cv::NORM_INF), 0.0);
    EXPECT_EQ(picture.Shown().data, picture.Original().data);

    picture.SetPicture(Load(path));  // opened anew, without the grey picture
    EXPECT_TRUE(picture.Adjustments().IsDefault());
    EXPECT_FALSE(picture.Adjust(steps[0].first));
}

} // namespace
