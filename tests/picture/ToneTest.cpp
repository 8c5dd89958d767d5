// Dithering and outlines on the wheel's LED grid, and the pictures painted
// from LED patterns.

#include "picture/AdjustPicture.h"
#include "picture/LedFootprints.h"
#include "picture/RenderWheel.h"
#include "picture/Tone.h"
#include "picture/WheelPicture.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <random>

namespace {

using namespace wheel;

PictureAdjustments WithTone(Tone tone, bool invert = false, FitMode fit = FitMode::Stretch)
{
    PictureAdjustments a;
    a.tone = tone;
    a.invert = invert;
    a.fit = fit;
    return a;
}

// The frame the wheel gets for the grey picture `gray` with `a`.
WheelFrame FrameOf(const cv::Mat& gray, const PictureAdjustments& a)
{
    WheelFrame frame{};
    RenderFrame(MakeToneWork(gray, a), frame);
    return frame;
}

int DarkInRing(const WheelFrame& frame, int led)
{
    int dark = 0;
    for (int entry = 0; entry < kColumns; ++entry)
        dark += !LedIsLight(frame, entry, led);
    return dark;
}

TEST(Tone, DitherGivesGreyAsAShareOfDarkLedsInEveryRing)
{
    for (const auto& [grey, dark] : {std::pair{255, 0}, {0, kColumns}, {128, kColumns / 2}}) {
        const WheelFrame frame = FrameOf(cv::Mat(400, 300, CV_8UC1, cv::Scalar(grey)), WithTone(Tone::Dither));
        for (int led = 0; led < kLeds; ++led)
            EXPECT_NEAR(DarkInRing(frame, led), dark, 0.05 * kColumns) << "grey " << grey << ", ring " << led;
    }
    // Left half black, right half white: the LEDs wholly on one side are
    // all dark or all light; diffusion carries nothing across the wheel.
    cv::Mat halves(312, 312, CV_8UC1, cv::Scalar(255));
    halves.colRange(0, 156).setTo(0);
    const WheelFrame frame = FrameOf(halves, WithTone(Tone::Dither));
    for (int entry = 0; entry < kColumns; ++entry) {
        const int degrees = EntryAngle(entry);
        for (int led = 0; led < kLeds; ++led) {
            if (degrees > 200 && degrees < 340) {
                EXPECT_FALSE(LedIsLight(frame, entry, led)) << degrees << " " << led;
            } else if (degrees > 20 && degrees < 160) {
                EXPECT_TRUE(LedIsLight(frame, entry, led)) << degrees << " " << led;
            }
        }
    }
}

TEST(Tone, OutlineOfADiscIsOneRingOfLitLeds)
{
    // A dark disc whose edge runs along LED 10's radius (110 pixels).
    cv::Mat disc(624, 624, CV_8UC1, cv::Scalar(255));
    cv::circle(disc, {312, 312}, 220, cv::Scalar(0), cv::FILLED, cv::LINE_AA);
    for (const bool invert : {false, true}) {
        const WheelFrame frame = FrameOf(disc, WithTone(Tone::Outline, invert));
        for (int led = 0; led < kLeds; ++led)
            EXPECT_EQ(DarkInRing(frame, led), (led == 10) != invert ? kColumns : 0) << "ring " << led;
    }
    // No edge, no line.
    EXPECT_EQ(DarkInRing(FrameOf(cv::Mat(50, 50, CV_8UC1, cv::Scalar(90)), WithTone(Tone::Outline)), 5), 0);
}

TEST(Tone, TheFrameIsThePaintedLedPattern)
{
    // Any pattern painted by footprints converts back into itself.
    std::mt19937 random(3);
    for (int n = 0; n < 4; ++n) {
        WheelFrame pattern;
        for (auto& byte : pattern)
            byte = static_cast<std::uint8_t>(random());
        WheelFrame again{};
        RenderFrame(PictureOfFrame(pattern), again);
        EXPECT_EQ(again, pattern);
    }
    // The working picture of a dithered photo-like picture is the LED
    // pattern painted: every pixel of a footprint shows its LED's bit.
    cv::Mat photo(300, 400, CV_8UC1);
    cv::randu(photo, 0, 256);
    cv::GaussianBlur(photo, photo, cv::Size(0, 0), 25);
    cv::normalize(photo, photo, 0, 255, cv::NORM_MINMAX);
    const cv::Mat work = MakeToneWork(photo, WithTone(Tone::Dither));
    WheelFrame frame{};
    RenderFrame(work, frame);
    EXPECT_EQ(frame, DiffuseOnLeds(FootprintLevels(MakeToneSquare(photo, FitMode::Stretch).grey)));
    const std::vector<std::int16_t>& owners = FootprintOwners();
    for (std::size_t i = 0; i < owners.size(); ++i) {
        const bool light = owners[i] < 0 || LedIsLight(frame, owners[i] / kLeds, owners[i] % kLeds);
        ASSERT_EQ(work.data[i], light ? 255 : 0) << i;
    }
}

TEST(Tone, FitMarginsStayUnlitAndInvertGivesTheComplement)
{
    // Fitted, a picture three times as wide as high fills rows 104 to 207.
    const cv::Mat wide(100, 300, CV_8UC1, cv::Scalar(128));
    const WheelFrame plain = FrameOf(wide, WithTone(Tone::Dither, false, FitMode::Fit));
    const WheelFrame inverted = FrameOf(wide, WithTone(Tone::Dither, true, FitMode::Fit));
    int inside = 0;
    for (int entry = 0; entry < kColumns; ++entry)
        for (int led = 0; led < kLeds; ++led) {
            const int y = SamplePoint(LedRadius(led), EntryAngle(entry)).y;
            if (y < 98 || y > 214) {
                EXPECT_TRUE(LedIsLight(plain, entry, led) && LedIsLight(inverted, entry, led)) << entry << " " << led;
            } else if (y > 110 && y < 202) {
                EXPECT_NE(LedIsLight(plain, entry, led), LedIsLight(inverted, entry, led)) << entry << " " << led;
                ++inside;
            }
        }
    EXPECT_GT(inside, 1000);
}

TEST(Tone, AnOpenPictureSwitchesToneAndBack)
{
    cv::Mat gray(240, 320, CV_8UC1);
    for (int y = 0; y < gray.rows; ++y)
        gray.row(y).setTo(y);
    LoadedPicture loaded;
    AdjustDecodedPicture(gray, {}, true, loaded);
    WheelPicture picture;
    picture.SetPicture(loaded);
    picture.RenderWheel(1);
    const TransferBlock threshold = picture.Block();
    ASSERT_TRUE(picture.Adjust(WithTone(Tone::Dither)));
    picture.RenderWheel(1);
    EXPECT_EQ(picture.Frame(), FrameOf(gray, WithTone(Tone::Dither)));
    EXPECT_NE(picture.Block(), threshold);
    ASSERT_TRUE(picture.Adjust({}));
    picture.RenderWheel(1);
    EXPECT_EQ(picture.Block(), threshold);
}

TEST(Tone, TheLedViewColoursDarkLedsByTheirGroup)
{
    WheelFrame dark{};
    const cv::Mat view = RenderLedView(dark);
    const cv::Vec3b green(0, 255, 0), blue(255, 0, 0), red(0, 0, 255);
    for (int entry : {0, 40, 100}) {
        for (const auto& [led, colour] : {std::pair{2, green}, {12, blue}, {20, red}}) {
            // The middle of the LED's footprint.
            const double theta = (kColumns - 1 - entry) * 2 * CV_PI / kColumns;
            const cv::Point p(cvRound(kCentre - 0.5 + LedRadius(led) * std::sin(theta)),
                              cvRound(kCentre - 0.5 - LedRadius(led) * std::cos(theta)));
            // (Narrow inner segments are antialiased even in their middle.)
            EXPECT_LT(cv::norm(cv::Vec3d(view.at<cv::Vec3b>(p)) - cv::Vec3d(colour)), 40) << entry << " " << led;
        }
    }
    WheelFrame light;
    light.fill(0xFF);
    EXPECT_EQ(cv::norm(RenderLedView(light), MakeBlankPreview(), cv::NORM_INF), 0);
}

} // namespace
