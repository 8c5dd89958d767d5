// wheelctl's picture adjustments against pictures turned by ImageMagick, and
// the same adjustments reaching the wheel light in download and calibrate.

#include "CliRunner.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using wheeltest::Quote;
using wheeltest::RunWheelctl;

class AdjustCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir);
        // Soft edges, unlike its mirror images, and grey only: ImageMagick
        // adds a gamma chunk, which changes the grey decode of coloured pixels.
        cv::Mat drawing(180, 260, CV_8UC3, cv::Scalar(220, 220, 220));
        cv::circle(drawing, {80, 60}, 45, cv::Scalar(90, 90, 90), cv::FILLED, cv::LINE_AA);
        cv::putText(drawing, "L4", {120, 160}, cv::FONT_HERSHEY_SIMPLEX, 2.0, cv::Scalar(40, 40, 40), 6, cv::LINE_AA);
        ASSERT_TRUE(cv::imwrite(picture, drawing));
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::vector<unsigned char> Frame(const std::string& path, const std::string& options)
    {
        const auto r = RunWheelctl("convert " + Quote(path) + " " + options + " --frame " + Quote(Path("f.bin")));
        EXPECT_EQ(r.status, 0) << r.out;
        std::ifstream in(Path("f.bin"), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // The frame that went out: bytes 3 to 64 of the first eight reports.
    static std::vector<unsigned char> FrameSent(const std::string& transcript)
    {
        std::ifstream in(transcript);
        std::vector<unsigned char> frame;
        for (std::string line; frame.size() < 492 && std::getline(in, line);)
            for (int i = 3; line.starts_with("out") && i < 65; ++i)
                frame.push_back(static_cast<unsigned char>(std::stoi(line.substr(4 + 3 * i, 2), nullptr, 16)));
        frame.resize(492);
        return frame;
    }
    fs::path dir = fs::temp_directory_path() / ("wheelctl-adjust-" + std::to_string(::getpid()));
    std::string picture = Path("p.png");
};

TEST_F(AdjustCli, RotationMatchesImageMagickAndInvertIsTheComplement)
{
    if (std::system("command -v convert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's convert is missing (scripts/install-deps installs it)";
    const auto plain = Frame(picture, "");
    ASSERT_EQ(plain.size(), 492u);
    EXPECT_NE(Frame(picture, "--rotate 90"), plain);
    for (const std::string degrees : {"90", "180", "270"}) {
        const std::string turned = Path("q" + degrees + ".png");
        ASSERT_EQ(std::system(("convert " + Quote(picture) + " -rotate " + degrees + " " + Quote(turned)).c_str()), 0);
        EXPECT_EQ(Frame(picture, "--rotate " + degrees), Frame(turned, "")) << degrees;
    }
    const auto inverted = Frame(picture, "--invert");
    for (std::size_t i = 0; i < 492; ++i)
        ASSERT_EQ(plain[i] ^ inverted.at(i), 0xFF) << i;
}

TEST_F(AdjustCli, DeviceCommandsSendTheAdjustedPictureAndBadValuesAreUsageErrors)
{
    const std::string adjust = " --rotate 90 --threshold 120 --invert --fit fit --transcript ";
    const std::string download = "--simulate download " + Quote(picture) + " --slots 1";
    const std::string calibrate = "--simulate calibrate --angle 5 --left --picture " + Quote(picture);
    ASSERT_EQ(RunWheelctl(download + adjust + Quote(Path("d.txt"))).status, 0);
    ASSERT_EQ(RunWheelctl(calibrate + adjust + Quote(Path("c.txt"))).status, 0);
    const auto expected = Frame(picture, "--rotate 90 --threshold 120 --invert --fit fit");
    EXPECT_EQ(FrameSent(Path("d.txt")), expected);
    EXPECT_EQ(FrameSent(Path("c.txt")), expected);

    const std::pair<const char*, const char*> bad[] = {
        {"--rotate 45", "--rotate"},        {"--rotate", "--rotate"},          {"--fit square", "--fit"},
        {"--threshold 255", "--threshold"}, {"--threshold -1", "--threshold"}, {"--threshold x", "--threshold"},
        {"--invert=yes", "--invert"},       {"--tone sepia", "--tone"},        {"--tone", "--tone"},
        {"--tone dither --tone outline", "--tone"}, {"--tone dither --threshold 100", "--threshold"},
    };
    for (const std::string& command : {"convert " + Quote(picture), download, calibrate}) {
        for (const auto& [options, name] : bad) {
            const auto r = RunWheelctl(command + " " + options);
            EXPECT_EQ(r.status, 2) << command << " " << options;
            EXPECT_EQ(r.out.rfind(std::string("wheelctl: ") + name, 0), 0u) << r.out;
            EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
        }
    }
    EXPECT_EQ(RunWheelctl("--simulate calibrate --angle 5 --left --rotate 90").status, 2);
}

// Dither and outline make frames of their own, inverted as the complement;
// --preview-leds draws the frame's LEDs, dark ones in their group's colour.
TEST_F(AdjustCli, TonesAndThePreviewOfTheLeds)
{
    const auto threshold = Frame(picture, "");
    const auto dither = Frame(picture, "--tone dither");
    const auto outline = Frame(picture, "--tone outline --threshold auto");
    EXPECT_NE(dither, threshold);
    EXPECT_NE(outline, threshold);
    EXPECT_NE(outline, dither);
    auto inverted = Frame(picture, "--tone dither --invert");
    for (unsigned char& byte : inverted)
        byte = static_cast<unsigned char>(~byte);
    EXPECT_EQ(inverted, dither);

    const std::string leds = Path("leds.png");
    ASSERT_EQ(RunWheelctl("convert " + Quote(picture) + " --tone dither --preview-leds " + Quote(leds)).status, 0);
    const cv::Mat view = cv::imread(leds, cv::IMREAD_COLOR);
    ASSERT_EQ(view.size(), cv::Size(312, 312));
    const cv::Vec3b colours[] = {{0, 255, 0}, {255, 0, 0}, {0, 0, 255}};
    for (int entry = 0; entry < 164; entry += 7)
        for (int led = 1; led < 20; led += 3) {  // (inner ones are thin and antialiased)
            // The middle of the LED's footprint: radius 155 - 4.5 led, the
            // column's angle clockwise from up.
            const double theta = (163 - entry) * 2 * CV_PI / 164, radius = 155 - 4.5 * led;
            const cv::Vec3d shown = view.at<cv::Vec3b>(cvRound(155.5 - radius * std::cos(theta)),
                                                       cvRound(155.5 + radius * std::sin(theta)));
            const bool light = (dither[3 * entry + led / 8] >> (led % 8)) & 1;
            EXPECT_LT(cv::norm(shown - cv::Vec3d(light ? cv::Vec3b(255, 255, 255) : colours[led / 8])), 40)
                << entry << " " << led;
        }
}

} // namespace
