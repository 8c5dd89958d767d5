// wheelctl loads OpenCV's codecs (the codec module) only for the pictures
// that need them, and says so when the module is missing.
#include "CliRunner.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using wheeltest::Quote;
using wheeltest::RunProgram;
using wheeltest::RunWheelctl;

class CodecModuleCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("wheelctl-codecs-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        cv::Mat drawing(120, 160, CV_8UC3, cv::Scalar(255, 255, 255));
        cv::circle(drawing, {80, 60}, 40, cv::Scalar(0, 0, 0), cv::FILLED);
        ASSERT_TRUE(cv::imwrite(Path("p.png"), drawing));
        ASSERT_TRUE(cv::imwrite(Path("p.bmp"), drawing));
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    fs::path dir;
};

// The dynamic loader names every library it opens on stderr under LD_DEBUG.
TEST_F(CodecModuleCli, LoadedOnlyForPicturesThatNeedIt)
{
    const auto loads = [](const wheeltest::CliResult& r) {
        return r.err.find("wheel-codecs.so") != std::string::npos
            || r.err.find("libopencv_imgcodecs") != std::string::npos;
    };
    const std::string debug = "export LD_DEBUG=files";
    const std::vector<std::string> quiet = {"--help", "--simulate list",
                                            "convert " + Quote(Path("p.png")) + " --preview -"};
    for (const std::string& args : quiet) {
        const auto r = RunWheelctl(args, true, debug);
        EXPECT_EQ(r.status, 0) << args << "\n" << r.err;
        EXPECT_FALSE(loads(r)) << args;
    }
    // The witness: a BMP is read by OpenCV, so the module shows up.
    const auto bmp = RunWheelctl("convert " + Quote(Path("p.bmp")) + " --frame -", true, debug);
    EXPECT_EQ(bmp.status, 0) << bmp.err;
    EXPECT_TRUE(loads(bmp));
}

TEST_F(CodecModuleCli, MissingModuleIsNamedAndOtherPicturesStillConvert)
{
    // A copy of wheelctl with no module where it looks for one.
    fs::create_directories(dir / "bin");
    const std::string lonely = Path("bin/wheelctl");
    fs::copy_file(wheeltest::WheelctlPath(), lonely);

    const auto bmp = RunProgram(lonely, "convert " + Quote(Path("p.bmp")) + " --frame " + Quote(Path("b.frame")), true);
    EXPECT_EQ(bmp.status, 1);
    EXPECT_NE(bmp.err.find("p.bmp: the picture codecs cannot be loaded; please reinstall the program"), std::string::npos)
        << bmp.err;
    EXPECT_NE(bmp.err.find("wheelctl: cannot load the picture codecs: "), std::string::npos) << bmp.err;
    EXPECT_FALSE(fs::exists(Path("b.frame")));

    // JPEG and PNG files need no module, nor does the preview: the same
    // bytes as the complete program's.
    const auto png = RunProgram(lonely, "convert " + Quote(Path("p.png")) + " --frame " + Quote(Path("1.frame"))
                                            + " --preview " + Quote(Path("1.png")), true);
    ASSERT_EQ(png.status, 0) << png.err;
    ASSERT_EQ(RunWheelctl("convert " + Quote(Path("p.png")) + " --frame " + Quote(Path("2.frame")) + " --preview "
                          + Quote(Path("2.png"))).status, 0);
    EXPECT_EQ(Read(Path("1.frame")).size(), 492u);
    EXPECT_EQ(Read(Path("1.frame")), Read(Path("2.frame")));
    EXPECT_EQ(cv::imread(Path("1.png")).size(), cv::Size(312, 312));
    EXPECT_EQ(Read(Path("1.png")), Read(Path("2.png")));
}

} // namespace
