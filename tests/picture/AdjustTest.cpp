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

// 90 degrees clockwise, pixel by pixel: row r of the result is column r of
// the picture read from the bottom up.
cv::Mat TurnByHand(const cv::Mat& p, int degrees)
{
    cv::Mat q = p;
    for (; degrees > 0; degrees -= 90) {
        cv::Mat t(q.cols, q.rows, q.type());
        for (int r = 0; r < t.rows; ++r)
            for (int c = 0; c < t.cols; ++c)
                t.at<uchar>(r, c) = q.at<uchar>(q.rows - 1 - c, r);
        q = t;
    }
    return q;
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

TEST(PictureAdjustments, SharedTextsParseAndFormat)
{
    std::optional<int> t = 7;
    EXPECT_TRUE(wheel::ParseThreshold("auto", t));
    EXPECT_FALSE(t.has_value());
    EXPECT_EQ(wheel::FormatThreshold(t), "auto");
    for (const auto& [text, value] : {std::pair{"0", 0}, {"254", 254}, {"007", 7}}) {
        EXPECT_TRUE(wheel::ParseThreshold(text, t)) << text;
        EXPECT_EQ(t, value);
        EXPECT_EQ(wheel::FormatThreshold(t), std::to_string(value));
    }
    for (const char* bad : {"255", "-1", "", "1e2", " 5", "Auto", "1000"}) {
        t = 3;
        EXPECT_FALSE(wheel::ParseThreshold(bad, t)) << bad;
        EXPECT_EQ(t, 3);
    }
    EXPECT_EQ(wheel::ParseRotation("270"), Rotation::Deg270);
    for (const char* bad : {"45", "-90", "360", "", "90.0"})
        EXPECT_FALSE(wheel::ParseRotation(bad).has_value()) << bad;
    for (FitMode fit : {FitMode::Stretch, FitMode::Fit, FitMode::Crop})
        EXPECT_EQ(wheel::ParseFit(wheel::FitName(fit)), fit);
    EXPECT_FALSE(wheel::ParseFit("square").has_value());
    PictureAdjustments a;
    EXPECT_TRUE(a.IsDefault() && a.IsValid());
    a.threshold = 255;
    EXPECT_FALSE(a.IsValid());
}

TEST_F(AdjustTest, RotationEqualsThePictureTurnedByHand)
{
    const cv::Mat p = Drawing(300, 200);
    const std::string path = Write("p.png", p);
    EXPECT_NE(Frame(path, With(Rotation::Deg90)), Frame(path));
    for (Rotation r : {Rotation::Deg90, Rotation::Deg180, Rotation::Deg270}) {
        const std::string turned = Write("q" + std::to_string(wheel::Degrees(r)) + ".png",
                                         TurnByHand(p, wheel::Degrees(r)));
        EXPECT_EQ(cv::norm(Load(path, With(r)).work, Load(turned).work, cv::NORM_INF), 0.0)
            << wheel::Degrees(r);
    }
}

TEST_F(AdjustTest, InvertFlipsEveryBitAndEveryPreviewDot)
{
    const std::string path = Write("p.png", Drawing(300, 200));
    for (PictureAdjustments a : {PictureAdjustments{}, With(Rotation::Deg0, 100),
                                 With(Rotation::Deg90, {}, false, FitMode::Crop)}) {
        wheel::WheelPicture plain, inverted;
        plain.SetPicture(Load(path, a));
        a.invert = true;
        inverted.SetPicture(Load(path, a));
        plain.RenderWheel(1);
        inverted.RenderWheel(1);
        for (std::size_t i = 0; i < wheel::kFrameBytes; ++i)
            ASSERT_EQ(plain.Frame()[i] ^ inverted.Frame()[i], 0xFF) << i;
        const cv::Vec3b white(255, 255, 255);
        for (int d = 0; d < 360; ++d)
            for (int i = 1; i < 48; ++i) {  // the rim, drawn last, covers some outermost dots
                const cv::Point p = wheel::SamplePoint(155.0 - 2.2 * i, d);
                ASSERT_NE(plain.Preview().at<cv::Vec3b>(p) == white, inverted.Preview().at<cv::Vec3b>(p) == white);
            }
    }
}

TEST_F(AdjustTest, ManualThresholdsZeroAnd254)
{
    // Quadrants of 0 (top left), 1 (top right), 254 (bottom left), 255.
    cv::Mat p(312, 312, CV_8UC1, cv::Scalar(255));
    p(cv::Rect(0, 0, 156, 156)).setTo(0);
    p(cv::Rect(156, 0, 156, 156)).setTo(1);
    p(cv::Rect(0, 156, 156, 156)).setTo(254);
    const std::string path = Write("quadrants.png", p);
    // Rays at least 10 degrees from an axis sample one quadrant only.
    const auto quadrantValue = [](int angle) {
        return angle >= 280 && angle <= 350 ? 0 : angle >= 10 && angle <= 80 ? 1 : angle >= 100 && angle <= 170 ? 255
                                                                    : angle >= 190 && angle <= 260    ? 254
                                                                                                      : -1;
    };
    for (int threshold : {0, 254}) {
        const wheel::WheelFrame f = Frame(path, With(Rotation::Deg0, threshold));
        for (int k = 0; k < wheel::kColumns; ++k) {
            const int value = quadrantValue(wheel::EntryAngle(k));
            for (int j = 0; j < wheel::kLeds && value >= 0; ++j)
                ASSERT_EQ(Bit(f, k, j), value > threshold) << threshold << " " << k << " " << j;
        }
    }
}

TEST_F(AdjustTest, FitPadsWithUnlitMarginsAndCropKeepsTheCentre)
{
    // A 2:1 picture in the middle rows 78..233 of the working picture: rays
    // in the margins stay unlit (1), inverted or not, the picture lights.
    for (const bool invert : {false, true}) {
        const std::string path = Write("wide.png", cv::Mat(200, 400, CV_8UC1, cv::Scalar(invert ? 255 : 0)));
        const wheel::WheelFrame f = Frame(path, With(Rotation::Deg0, {}, invert, FitMode::Fit));
        for (int k = 0; k < wheel::kColumns; ++k)
            for (int j = 0; j < wheel::kLeds; ++j) {
                const int y = wheel::SamplePoint(155.0 - 4.5 * j, wheel::EntryAngle(k)).y;
                if (y < 76 || y > 236) {
                    ASSERT_TRUE(Bit(f, k, j)) << k << " " << j;
                } else if (y > 80 && y < 232) {
                    ASSERT_FALSE(Bit(f, k, j)) << k << " " << j;
                }
            }
    }

    // An odd difference: floor(151 / 2) = 75 columns before the picture.
    const cv::Mat tall = Drawing(150, 301);
    const std::string path = Write("tall.png", tall);
    cv::Mat padded(301, 301, CV_8UC1, cv::Scalar(255));
    tall.copyTo(padded(cv::Rect(75, 0, 150, 301)));
    EXPECT_EQ(Frame(path, With(Rotation::Deg0, 128, false, FitMode::Fit)), Frame(Write("padded.png", padded), With(Rotation::Deg0, 128)));
    EXPECT_EQ(Frame(path, With(Rotation::Deg0, 128, false, FitMode::Crop)),
              Frame(Write("centre.png", tall.rowRange(75, 225).clone()), With(Rotation::Deg0, 128)));
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
    ASSERT_TRUE(picture.CanAdjust());
    const cv::Mat plain = picture.Work().clone();
    EXPECT_EQ(picture.Threshold(), picture.OtsuThreshold());

    const PictureAdjustments steps[] = {
        With(Rotation::Deg90),
        With(Rotation::Deg90, {}, false, FitMode::Fit),
        With(Rotation::Deg90, 100, false, FitMode::Fit),
        With(Rotation::Deg270, 100, true),
        With(Rotation::Deg180, {}, true, FitMode::Crop),
    };
    const cv::Size shown[] = {{200, 300}, {300, 300}, {300, 300}, {200, 300}, {200, 200}};
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(picture.Adjust(steps[i])) << i;
        EXPECT_EQ(cv::norm(picture.Work(), Load(path, steps[i]).work, cv::NORM_INF), 0.0) << i;
        EXPECT_EQ(picture.Shown().size(), shown[i]) << i;
        EXPECT_EQ(picture.RenderWheel(1), wheel::WheelPicture::RenderResult::Rendered) << i;
    }
    PictureAdjustments bad = steps[4];
    bad.threshold = 255;
    EXPECT_FALSE(picture.Adjust(bad));
    EXPECT_EQ(picture.Adjustments(), steps[4]);

    ASSERT_TRUE(picture.Adjust({}));
    EXPECT_EQ(cv::norm(picture.Work(), plain, cv::NORM_INF), 0.0);
    EXPECT_EQ(picture.Shown().data, picture.Original().data);

    picture.Adjust(steps[3]);
    picture.SetPicture(Load(path));  // opened anew, without the grey picture
    EXPECT_TRUE(picture.Adjustments().IsDefault());
    EXPECT_FALSE(picture.Adjust(steps[0]));
}

} // namespace
