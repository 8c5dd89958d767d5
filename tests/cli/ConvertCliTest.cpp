#include "CliRunner.h"

#include "picture/PictureFile.h"
#include "picture/WheelPicture.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>
#include <tuple>

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
    EXPECT_NE(missing.out.find("the file does not exist"), std::string::npos) << missing.out;
}

TEST_F(ConvertCli, JpegLayoutsOpenAndDamagedPicturesAreRefusedQuietly)
{
    using Bytes = std::vector<uchar>;
    Bytes plain;
    cv::Mat drawing(217, 333, CV_8UC3, cv::Scalar(250, 250, 250));
    cv::putText(drawing, "GO", {30, 170}, cv::FONT_HERSHEY_SIMPLEX, 5.0, cv::Scalar(10, 10, 10), 25);
    ASSERT_TRUE(cv::imencode(".jpg", drawing, plain));
    auto write = [this](const std::string& name, const Bytes& bytes) {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return Path(name);
    };
    // Camera and editor segments before the frame header: 90 KB of EXIF,
    // ICC profile and comments; a phone's video after the end marker.
    Bytes segments;
    for (const auto& [marker, size] : {std::pair{0xE1, 40000}, {0xE2, 30000}, {0xFE, 20000}}) {
        segments.insert(segments.end(), {0xFF, uchar(marker), uchar((size + 2) >> 8), uchar((size + 2) & 0xFF)});
        segments.insert(segments.end(), std::size_t(size), uchar(marker == 0xE1 ? 0 : 'x'));
    }
    const Bytes video(100000, 0xFF);
    Bytes bigHead = plain, motion = plain, both;
    bigHead.insert(bigHead.begin() + 2, segments.begin(), segments.end());
    motion.insert(motion.end(), video.begin(), video.end());
    both = bigHead;
    both.insert(both.end(), video.begin(), video.end());

    const auto frame = [this](const std::string& picture) {
        const auto r = RunWheelctl("convert " + Quote(picture) + " --frame " + Quote(Path("f.bin")));
        EXPECT_EQ(r.status, 0) << picture << ": " << r.out;
        return Read(Path("f.bin"));
    };
    const auto expected = frame(write("plain.jpg", plain));
    ASSERT_EQ(expected.size(), 492u);
    EXPECT_EQ(frame(write("big-head.jpg", bigHead)), expected);
    EXPECT_EQ(frame(write("motion.jpg", motion)), expected);
    EXPECT_EQ(frame(write("both.jpg", both)), expected);

    // A frame header that claims more rows than the data holds.
    Bytes tall = plain;
    for (std::size_t i = 2; i + 8 < tall.size(); ++i)
        if (tall[i] == 0xFF && tall[i + 1] == 0xC0) {
            tall[i + 5] = 2;  // 217 -> 512 + 217 rows
            break;
        }
    // A PNG whose compressed data stops short inside a sound chunk.
    Bytes png;
    cv::Mat noise(64, 64, CV_8UC1);
    cv::randu(noise, 0, 256);
    ASSERT_TRUE(cv::imencode(".png", noise, png));
    const std::size_t idat = 33;  // cv::imencode writes IHDR, then IDAT
    ASSERT_EQ(std::string(png.begin() + idat + 4, png.begin() + idat + 8), "IDAT");
    const std::size_t keep = 200;
    png.erase(png.begin() + idat + 8 + keep, png.end() - 16);  // keep room for the CRC, then IEND
    png[idat] = png[idat + 1] = 0;
    png[idat + 2] = keep >> 8;
    png[idat + 3] = keep & 0xFF;
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = idat + 4; i < idat + 8 + keep; ++i) {
        crc ^= png[i];
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? 0xEDB88320 ^ (crc >> 1) : crc >> 1;
    }
    crc = ~crc;
    for (int k = 0; k < 4; ++k)
        png[idat + 8 + keep + k] = uchar(crc >> (24 - 8 * k));
    // A run-length BMP whose codes stop before its rows do.
    Bytes bmp;
    ASSERT_TRUE(cv::imencode(".bmp", noise, bmp));
    bmp[30] = 1;
    bmp.resize(bmp[10] | (bmp[11] << 8));
    bmp.insert(bmp.end(), {4, 7, 0, 0, 4, 9});
    // A BMP with a compression no reader knows.
    Bytes odd;
    ASSERT_TRUE(cv::imencode(".bmp", noise, odd));
    odd[30] = 9;

    for (const auto& [name, bytes, reason] :
         {std::tuple{"tall.jpg", tall, "damaged"}, {"short.png", png, "damaged"}, {"rle.bmp", bmp, "incomplete"},
          {"odd.bmp", odd, "damaged"}}) {
        const std::string path = write(name, bytes);
        const auto r = RunWheelctl("convert " + Quote(path) + " --frame " + Quote(Path("f.bin")), true);
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_EQ(r.out, "") << name;
        // One line in our words, nothing from the libraries.
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind("wheelctl: " + path + ": ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
    }
}

TEST_F(ConvertCli, OutputsReplaceOnlyWhatTheyShould)
{
    cv::Mat drawing(120, 160, CV_8UC3, cv::Scalar(255, 255, 255));
    cv::circle(drawing, {80, 60}, 40, cv::Scalar(0, 0, 0), cv::FILLED);
    const std::string picture = Path("dot.png");
    ASSERT_TRUE(cv::imwrite(picture, drawing));
    wheel::WheelPicture expected;
    expected.SetPicture(wheel::LoadPicture(picture).picture);
    expected.RenderWheel(1);
    const wheel::WheelFrame frame = expected.Frame();
    const std::vector<unsigned char> frameBytes(frame.begin(), frame.end());
    auto put = [this](const std::string& name, const std::string& text) { std::ofstream(Path(name)) << text; };

    // A FIFO is written in place, a symlink's target replaced, a 0600 file
    // with a second hard link keeps both.
    const std::string fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Our read end is open before wheelctl opens the FIFO, and what it writes
    // fits the pipe: no thread, nothing to wait for.
    const int fifoRead = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fifoRead, 0);
    put("real.bin", "old");
    fs::create_symlink("real.bin", Path("link.bin"));
    put("private.png", "old");
    fs::permissions(Path("private.png"), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_hard_link(Path("private.png"), Path("private-too.png"));
    const auto r = RunWheelctl("convert " + Quote(picture) + " --frame " + Quote(fifo) + " --block "
                               + Quote(Path("link.bin")) + " --preview " + Quote(Path("private.png")));
    std::vector<unsigned char> fromFifo(4096);
    const ssize_t got = ::read(fifoRead, fromFifo.data(), fromFifo.size());
    fromFifo.resize(std::size_t(std::max<ssize_t>(got, 0)));
    ::close(fifoRead);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(fromFifo, frameBytes);
    EXPECT_TRUE(fs::is_symlink(Path("link.bin")));
    EXPECT_EQ(Read(Path("real.bin")).size(), 496u);
    EXPECT_EQ(fs::status(Path("private.png")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::hard_link_count(Path("private.png")), 2u);
    EXPECT_EQ(Read(Path("private-too.png")), Read(Path("private.png")));
    EXPECT_EQ(cv::imread(Path("private.png")).size(), cv::Size(312, 312));

    // "-": the bytes alone on standard output.
    const auto out = RunWheelctl("convert " + Quote(picture) + " --frame -", true);
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(std::vector<unsigned char>(out.out.begin(), out.out.end()), frameBytes);
    EXPECT_NE(out.err.find("wrote the frame to standard output"), std::string::npos) << out.err;

    // All or none: the preview cannot be written (files are limited to 512
    // bytes), so the frame already swapped in goes back, the hard-linked
    // file written in place gets its old bytes again, no temporary remains.
    put("a.bin", "old a");
    put("h.png", "old h");
    fs::create_hard_link(Path("h.png"), Path("h-too.png"));
    const auto before = std::distance(fs::directory_iterator(dir), {});
    const std::string limit = "export LC_ALL=C; trap '' XFSZ; ulimit -f 1";  // the system's reasons in English
    const auto failed = RunWheelctl("convert " + Quote(picture) + " --frame " + Quote(Path("a.bin")) + " --preview "
                                    + Quote(Path("h.png")), true, limit);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "wheelctl: " + Path("h.png") + ": cannot write the preview: File too large\n");
    EXPECT_EQ(Read(Path("a.bin")), std::vector<unsigned char>({'o', 'l', 'd', ' ', 'a'}));
    EXPECT_EQ(Read(Path("h-too.png")), std::vector<unsigned char>({'o', 'l', 'd', ' ', 'h'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), before);
    const auto nowhere =
        RunWheelctl("convert " + Quote(picture) + " --frame " + Quote(Path("none/f.bin")), true, limit);
    EXPECT_EQ(nowhere.err, "wheelctl: " + Path("none/f.bin") + ": cannot write the frame: No such file or directory\n");

    // A transcript that fails after the download names itself and leaves the
    // download's own result standing on a line of its own.
    const auto download = RunWheelctl("--simulate download " + Quote(picture) + " --slots 1 --transcript "
                                      + Quote(Path("t.txt")), true, limit);
    EXPECT_EQ(download.status, 1);
    // (The record of the wheel light's slots cannot be written either; that
    // is warned about first.)
    EXPECT_TRUE(download.err.ends_with("wheelctl: " + Path("t.txt") + ": cannot write the transcript: File too large\n"
                                       "wheelctl: the download itself succeeded\n"))
        << download.err;
    EXPECT_FALSE(fs::exists(Path("t.txt")));
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
