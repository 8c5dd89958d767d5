// wheelctl's picture adjustments against pictures turned by ImageMagick, and
// the same adjustments reaching the wheel light in download and calibrate.

#include "CliRunner.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using wheeltest::Quote;
using wheeltest::RunWheelctl;

class AdjustCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("wheelctl-adjust-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        // Soft edges, and different from its mirror images. Grey tones only:
        // ImageMagick adds a gamma chunk, which changes the grey decode of
        // coloured pixels but not of grey ones.
        cv::Mat drawing(180, 260, CV_8UC3, cv::Scalar(220, 220, 220));
        cv::circle(drawing, {80, 60}, 45, cv::Scalar(90, 90, 90), cv::FILLED, cv::LINE_AA);
        cv::putText(drawing, "L4", {120, 160}, cv::FONT_HERSHEY_SIMPLEX, 2.0, cv::Scalar(40, 40, 40), 6, cv::LINE_AA);
        picture = Path("p.png");
        ASSERT_TRUE(cv::imwrite(picture, drawing));
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    static std::vector<unsigned char> Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // The first 492 bytes sent: chunks 0 to 7 of the first block, 62 bytes
    // each after report ID, slot and chunk number.
    static std::vector<unsigned char> FrameSent(const std::string& transcript)
    {
        std::ifstream in(transcript);
        std::vector<unsigned char> block;
        for (std::string line; block.size() < 496 && std::getline(in, line);) {
            std::istringstream hex(line);
            std::string direction;
            hex >> direction;
            std::vector<int> bytes{std::istream_iterator<int>(hex >> std::hex), {}};
            if (direction == "out" && bytes.size() == 65)
                block.insert(block.end(), bytes.begin() + 3, bytes.end());
        }
        block.resize(492);
        return block;
    }
    std::vector<unsigned char> Frame(const std::string& path, const std::string& options)
    {
        const auto r = RunWheelctl("convert " + Quote(path) + " " + options + " --frame " + Quote(Path("f.bin")));
        EXPECT_EQ(r.status, 0) << r.out;
        return Read(Path("f.bin"));
    }
    fs::path dir;
    std::string picture;
};

TEST_F(AdjustCli, RotationMatchesImageMagickAndInvertIsTheComplement)
{
    if (std::system("command -v convert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's convert is missing (scripts/install-deps installs it)";
    const auto plain = Frame(picture, "");
    ASSERT_EQ(plain.size(), 492u);
    EXPECT_NE(Frame(picture, "--rotate 90"), plain);
    for (const char* degrees : {"90", "180", "270"}) {
        const std::string turned = Path(std::string("q") + degrees + ".png");
        ASSERT_EQ(std::system(("convert " + Quote(picture) + " -rotate " + degrees + " " + Quote(turned)).c_str()), 0);
        EXPECT_EQ(Frame(picture, std::string("--rotate ") + degrees), Frame(turned, "")) << degrees;
    }
    const auto inverted = Frame(picture, "--invert");
    ASSERT_EQ(inverted.size(), 492u);
    for (std::size_t i = 0; i < 492; ++i)
        ASSERT_EQ(plain[i] ^ inverted[i], 0xFF) << i;
}

TEST_F(AdjustCli, DeviceCommandsSendTheAdjustedPictureAndBadValuesAreUsageErrors)
{
    const std::string adjust = " --rotate 90 --threshold 120 --invert --fit fit";
    const auto expected = Frame(picture, adjust);
    const std::string withPicture = " --picture " + Quote(picture);
    ASSERT_EQ(RunWheelctl("--simulate download " + Quote(picture) + " --slots 1" + adjust + " --transcript "
                          + Quote(Path("d.txt")))
                  .status,
              0);
    EXPECT_EQ(FrameSent(Path("d.txt")), expected);
    ASSERT_EQ(RunWheelctl("--simulate calibrate --angle 5 --left" + withPicture + adjust + " --transcript "
                          + Quote(Path("c.txt")))
                  .status,
              0);
    EXPECT_EQ(FrameSent(Path("c.txt")), expected);

    const std::pair<const char*, const char*> bad[] = {
        {"--rotate 45", "--rotate"},        {"--rotate", "--rotate"},       {"--fit square", "--fit"},
        {"--threshold 255", "--threshold"}, {"--threshold -1", "--threshold"}, {"--threshold x", "--threshold"},
        {"--invert=yes", "--invert"},
    };
    for (const std::string& command : {"convert " + Quote(picture), "--simulate download " + Quote(picture) + " --slots 1",
                                      "--simulate calibrate --angle 5 --left" + withPicture}) {
        for (const auto& [options, name] : bad) {
            const auto r = RunWheelctl(command + " " + options);
            EXPECT_EQ(r.status, 2) << command << " " << options;
            EXPECT_EQ(r.out.rfind(std::string("wheelctl: ") + name, 0), 0u) << r.out;
            EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
        }
    }
    EXPECT_EQ(RunWheelctl("--simulate calibrate --angle 5 --left --rotate 90").status, 2);
}

} // namespace
