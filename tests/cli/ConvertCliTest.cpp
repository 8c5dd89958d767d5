#include "CliRunner.h"

#include "picture/PictureFile.h"
#include "picture/WheelPicture.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using wheeltest::Quote;
using wheeltest::RunWheelctl;

class ConvertCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("wheelctl-convert-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    static std::vector<unsigned char> Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    fs::path dir;
};

TEST_F(ConvertCli, WritesFrameBlockAndPreview)
{
    cv::Mat drawing(200, 300, CV_8UC3, cv::Scalar(255, 255, 255));
    cv::putText(drawing, "RIDE", {20, 130}, cv::FONT_HERSHEY_SIMPLEX, 3.0, cv::Scalar(0, 0, 0), 12);
    const std::string picture = Path("ride.png");
    ASSERT_TRUE(cv::imwrite(picture, drawing));

    const auto r = RunWheelctl("convert " + Quote(picture) + " --frame " + Quote(Path("f.bin")) + " --block "
                               + Quote(Path("b.bin")) + " --preview " + Quote(Path("p.png")));
    ASSERT_EQ(r.status, 0) << r.out;

    // The same pipeline in-process gives the same bytes.
    wheel::WheelPicture expected;
    expected.SetPicture(wheel::LoadPicture(picture).picture);
    expected.RenderWheel(1);
    const wheel::WheelFrame frame = expected.Frame();
    EXPECT_EQ(Read(Path("f.bin")), std::vector<unsigned char>(frame.begin(), frame.end()));
    const auto block = Read(Path("b.bin"));
    ASSERT_EQ(block.size(), 496u);
    EXPECT_EQ(std::vector<unsigned char>(block.begin(), block.begin() + 492), Read(Path("f.bin")));
    EXPECT_EQ(block[492], 1);
    EXPECT_EQ(block[493], 0xAA);
    EXPECT_EQ(block[495], 0xAA);
    const cv::Mat preview = cv::imread(Path("p.png"), cv::IMREAD_COLOR);
    ASSERT_EQ(preview.size(), cv::Size(312, 312));
    EXPECT_EQ(cv::norm(preview, expected.Preview(), cv::NORM_INF), 0.0);

    const auto off = RunWheelctl("convert " + Quote(picture) + " --block " + Quote(Path("b0.bin")) + " --48 off");
    ASSERT_EQ(off.status, 0) << off.out;
    EXPECT_EQ(Read(Path("b0.bin"))[492], 0);
}

TEST_F(ConvertCli, BadPictureNamesTheFileAndWritesNothing)
{
    const std::string bad = Path("notes.png");
    std::ofstream(bad) << "not a picture";
    const auto r = RunWheelctl("convert " + Quote(bad) + " --frame " + Quote(Path("f.bin")) + " --preview "
                               + Quote(Path("p.png")));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find(bad), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("not a BMP, JPEG or PNG"), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(Path("f.bin")));
    EXPECT_FALSE(fs::exists(Path("p.png")));

    const auto missing = RunWheelctl("convert " + Quote(Path("gone.jpg")) + " --frame " + Quote(Path("f.bin")));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("no such file"), std::string::npos) << missing.out;
}

TEST_F(ConvertCli, UsageErrorsAndHelp)
{
    EXPECT_EQ(RunWheelctl("convert").status, 2);
    EXPECT_EQ(RunWheelctl("convert a.png --48 maybe").status, 2);
    EXPECT_EQ(RunWheelctl("convert a.png --frame").status, 2);
    EXPECT_EQ(RunWheelctl("frobnicate").status, 2);
    const auto help = RunWheelctl("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("convert PICTURE"), std::string::npos);
}

} // namespace
