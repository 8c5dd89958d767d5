// The codec module loaded while pictures are already being read: every
// first use waits for the one load and gets OpenCV's own result.
#include "picture/Codecs.h"
#include "picture/PictureFile.h"
#include "picture/PngEncode.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <filesystem>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

bool SamePixels(const cv::Mat& a, const cv::Mat& b)
{
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

TEST(Codecs, ConcurrentFirstUsesShareOneLoad)
{
    const fs::path dir = fs::temp_directory_path() / ("wheel-codecs-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    cv::Mat drawing(90, 130, CV_8UC3);
    cv::randu(drawing, 0, 256);
    cv::circle(drawing, {60, 45}, 30, cv::Scalar(10, 200, 90), cv::FILLED);
    const std::string bmp = (dir / "p.bmp").string();
    ASSERT_TRUE(cv::imwrite(bmp, drawing));
    const cv::Mat colour = cv::imread(bmp, cv::IMREAD_COLOR);
    const cv::Mat gray = cv::imread(bmp, cv::IMREAD_GRAYSCALE);
    std::vector<uchar> png;
    ASSERT_TRUE(cv::imencode(".png", drawing, png));

    // The editor's start: the load begins on its own thread while pictures
    // are read and written from others (LoadPicture itself decodes on two).
    wheel::codecs::StartLoading();
    std::vector<cv::Mat> read(3), decoded(3);
    std::vector<std::vector<std::uint8_t>> encoded(3);
    std::vector<wheel::LoadResult> loaded(3);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < 3; ++i)
        threads.emplace_back([&, i] {
            loaded[i] = wheel::LoadPicture(bmp);
            read[i] = wheel::codecs::Read(bmp, cv::IMREAD_GRAYSCALE);
            wheel::codecs::Encode(".png", drawing, encoded[i]);
            decoded[i] = wheel::codecs::Decode(encoded[i], cv::IMREAD_COLOR);
        });
    wheel::codecs::StartLoading();  // a second call starts nothing
    for (auto& t : threads)
        t.join();

    EXPECT_TRUE(wheel::codecs::Available());
    EXPECT_EQ(wheel::codecs::Problem(), "");
    for (std::size_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(loaded[i]) << i;
        EXPECT_TRUE(SamePixels(loaded[i].picture.original, colour)) << i;
        EXPECT_TRUE(SamePixels(read[i], gray)) << i;
        EXPECT_EQ(encoded[i], std::vector<std::uint8_t>(png.begin(), png.end())) << i;
        EXPECT_TRUE(SamePixels(decoded[i], drawing)) << i;
    }
    // What the module cannot read is an empty picture, not an exception.
    const std::vector<std::uint8_t> junk = {'B', 'M', 1, 2, 3};
    EXPECT_TRUE(wheel::codecs::Decode(junk, cv::IMREAD_COLOR).empty());
    EXPECT_TRUE(wheel::codecs::Read((dir / "none.bmp").string(), cv::IMREAD_COLOR).empty());
    fs::remove_all(dir);
}

// Our PNG writer against OpenCV's: the same bytes for every 8-bit layout,
// on noise (long literal runs), flat areas (long matches) and odd sizes.
TEST(Codecs, PngEncoderWritesImencodeBytes)
{
    cv::Mat noise(97, 131, CV_8UC4);
    cv::randu(noise, 0, 256);
    noise(cv::Rect(0, 0, 60, 40)).setTo(cv::Scalar(255, 255, 255, 255));
    cv::Mat bgr, gray;
    cv::cvtColor(noise, bgr, cv::COLOR_BGRA2BGR);
    cv::cvtColor(noise, gray, cv::COLOR_BGRA2GRAY);
    const cv::Mat preview(312, 312, CV_8UC3, cv::Scalar(255, 255, 255));
    const std::vector<cv::Mat> pictures = {noise, bgr, gray, preview, bgr(cv::Rect(5, 7, 33, 21)),
                                           cv::Mat(1, 1, CV_8UC1, cv::Scalar(7))};
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        std::vector<uchar> expected;
        ASSERT_TRUE(cv::imencode(".png", pictures[i], expected));
        std::vector<std::uint8_t> ours;
        ASSERT_TRUE(wheel::EncodePng(pictures[i], ours)) << i;
        EXPECT_EQ(ours, std::vector<std::uint8_t>(expected.begin(), expected.end())) << i;
    }
    std::vector<std::uint8_t> out = {1, 2, 3};
    EXPECT_FALSE(wheel::EncodePng(cv::Mat(4, 4, CV_16UC1, cv::Scalar(9)), out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(wheel::EncodePng(cv::Mat(), out));
}

} // namespace
