// wheelctl download, calibrate and factory-reset end to end through the
// simulated wheel light, checked against the exchange byte for byte.

#include "../cli/CliRunner.h"

#include "picture/PictureFile.h"
#include "picture/WheelPicture.h"
#include "protocol/FactoryPictures.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using wheeltest::Quote;
using wheeltest::RunWheelctl;

std::string Line(const char* direction, std::vector<std::uint8_t> bytes)
{
    std::string line = direction;
    char hex[4];
    for (auto b : bytes) {
        std::snprintf(hex, sizeof hex, " %02x", b);
        line += hex;
    }
    return line;
}

std::vector<std::uint8_t> Report(std::uint8_t slot, std::uint8_t chunk, const wheel::TransferBlock& block)
{
    std::vector<std::uint8_t> r(65);
    r[1] = slot;
    r[2] = chunk;
    std::copy_n(block.begin() + 62 * chunk, 62, r.begin() + 3);
    return r;
}

class ProtocolCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("wheelctl-protocol-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        picture = Path("arrow.png");
        cv::Mat drawing(240, 240, CV_8UC3, cv::Scalar(0, 0, 0));
        cv::fillConvexPoly(drawing, std::vector<cv::Point>{{120, 10}, {220, 200}, {20, 200}}, cv::Scalar(255, 255, 255));
        ASSERT_TRUE(cv::imwrite(picture, drawing));
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    static std::vector<std::string> Lines(const std::string& path)
    {
        std::ifstream in(path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    // Out lines as given; each answered by AA, the eighth of a block by 44.
    static void ExpectExchange(const std::vector<std::string>& transcript, const std::vector<std::string>& out)
    {
        ASSERT_EQ(transcript.size(), 2 * out.size());
        for (std::size_t i = 0; i < out.size(); ++i) {
            EXPECT_EQ(transcript[2 * i], out[i]) << "report " << i;
            const std::string answer = i % 8 == 7 ? "in 00 44" : "in 00 aa";
            EXPECT_EQ(transcript[2 * i + 1].substr(0, 8), answer) << "answer " << i;
            EXPECT_EQ(transcript[2 * i + 1].size(), 2 + 65 * 3) << "answer " << i;
        }
    }
    static bool Has(const std::string& out, const std::string& text) { return out.find(text) != std::string::npos; }

    fs::path dir;
    std::string picture;
};

TEST_F(ProtocolCli, DownloadIntoTheFirstAndTwentiethSlot)
{
    const auto r = RunWheelctl("--simulate download " + Quote(picture) + " --slots 20,1 --transcript "
                               + Quote(Path("t.txt")));
    ASSERT_EQ(r.status, 0) << r.out;

    wheel::WheelPicture expected;
    expected.SetPicture(wheel::LoadPicture(picture).picture);
    expected.RenderWheel(1);
    wheel::TransferBlock first = expected.Block();
    wheel::TransferBlock last = first;
    last[493] = 0xBB;
    std::vector<std::string> out;
    for (int c = 0; c < 8; ++c)
        out.push_back(Line("out", Report(1, c, first)));
    for (int c = 0; c < 8; ++c)
        out.push_back(Line("out", Report(0, c, last)));
    ExpectExchange(Lines(Path("t.txt")), out);

    for (const char* text : {"尝试连接风火轮", "风火轮已经找到", "下载进度:50%", "下载进度:100%", "下载成功！",
                             "[恭喜] 图片下载完成!"})
        EXPECT_TRUE(Has(r.out, text)) << text << "\n" << r.out;
}

TEST_F(ProtocolCli, DownloadWithModeOffAndRefusals)
{
    const auto off = RunWheelctl("--simulate download " + Quote(picture) + " --slots 3 --48 off --transcript "
                                 + Quote(Path("t.txt")));
    ASSERT_EQ(off.status, 0) << off.out;
    const auto lines = Lines(Path("t.txt"));
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[14].substr(lines[14].size() - 11), "00 bb aa aa");

    const auto none = RunWheelctl("--simulate download " + Quote(picture));
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(Has(none.out, "[温馨提示-_-] 请先选择需要下载的位置!")) << none.out;

    for (const char* bad : {"--slots 0", "--slots 21", "--slots 1,,2", "--slots 1,", "--slots x", "--slots 1 --48 maybe"})
        EXPECT_EQ(RunWheelctl("--simulate download " + Quote(picture) + " " + bad).status, 2) << bad;
    const auto missing = RunWheelctl("--simulate download " + Quote(Path("gone.png")) + " --slots 1");
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(Has(missing.out, "gone.png")) << missing.out;
}

TEST_F(ProtocolCli, CalibrationBlocksAndChecks)
{
    const auto r = RunWheelctl("--simulate calibrate --angle 90 --left --transcript " + Quote(Path("t.txt")));
    ASSERT_EQ(r.status, 0) << r.out;
    wheel::TransferBlock block{};
    block[493] = 0xCC;
    block[494] = 0;
    block[495] = 54;
    std::vector<std::string> out;
    for (int c = 0; c < 8; ++c)
        out.push_back(Line("out", Report(0, c, block)));
    ExpectExchange(Lines(Path("t.txt")), out);
    EXPECT_TRUE(Has(r.out, "您需要调整的角度是:90  向左调整！")) << r.out;
    EXPECT_TRUE(Has(r.out, "[恭喜] 风火轮位置校准成功!")) << r.out;

    const auto right = RunWheelctl("--simulate calibrate --angle ' 45' --right --picture " + Quote(picture)
                                   + " --transcript " + Quote(Path("r.txt")));
    ASSERT_EQ(right.status, 0) << right.out;
    EXPECT_TRUE(Has(right.out, "您需要调整的角度是: 45  向右调整！")) << right.out;
    const auto lines = Lines(Path("r.txt"));
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[14].substr(lines[14].size() - 11), "01 cc 01 1b");

    const auto range = RunWheelctl("--simulate calibrate --angle 91 --right --transcript " + Quote(Path("n.txt")));
    EXPECT_EQ(range.status, 1);
    EXPECT_TRUE(Has(range.out, "[温馨提示-_-] 请输入需要调整的1和90之间的整数角度！")) << range.out;
    EXPECT_TRUE(Lines(Path("n.txt")).empty());

    const auto word = RunWheelctl("--simulate calibrate --angle abc --right");
    EXPECT_EQ(word.status, 1);
    EXPECT_LT(word.out.find("请键入一个整数。"), word.out.find("请输入需要调整的角度！")) << word.out;

    EXPECT_EQ(RunWheelctl("--simulate calibrate --angle 10").status, 2);
    EXPECT_EQ(RunWheelctl("--simulate calibrate --angle 10 --left --right").status, 2);
    EXPECT_EQ(RunWheelctl("--simulate calibrate --left").status, 2);
}

TEST_F(ProtocolCli, FactoryResetSendsTheBuiltInPictures)
{
    const auto r = RunWheelctl("--simulate factory-reset --transcript " + Quote(Path("t.txt")));
    ASSERT_EQ(r.status, 0) << r.out;
    std::vector<std::string> out;
    for (int p = 0; p < 20; ++p)
        for (int c = 0; c < 8; ++c)
            out.push_back(Line("out", Report(p < 19 ? p + 1 : 0, c, wheel::kFactoryPictures[p])));
    ExpectExchange(Lines(Path("t.txt")), out);
    EXPECT_TRUE(Has(r.out, "下载进度:5%\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "[恭喜] 图片下载完成!")) << r.out;
}

// The issue's example set with real pictures: one download, box by box, each
// picture's own block (its adjustments applied), the last with 0xBB; then
// the record that 'slots' prints.
TEST_F(ProtocolCli, PictureSetInOneDownloadAndTheRecord)
{
    fs::create_directories(dir / "logos");
    cv::Mat photo(300, 450, CV_8UC3, cv::Scalar(40, 90, 200));
    cv::circle(photo, {300, 120}, 80, cv::Scalar(250, 250, 250), cv::FILLED);
    ASSERT_TRUE(cv::imwrite(Path("sunrise.jpg"), photo));
    cv::Mat logo(200, 100, CV_8UC3, cv::Scalar(255, 255, 255));
    cv::putText(logo, "C", {10, 150}, cv::FONT_HERSHEY_SIMPLEX, 4, cv::Scalar(60, 60, 60), 12);
    ASSERT_TRUE(cv::imwrite(Path("logos/club.png"), logo));
    {
        std::ofstream set(Path("example.wheelset"));
        set << R"({
  "format": "wheel-set",
  "version": 1,
  "mode48": true,
  "slots": [
    { "box": 1,  "picture": "sunrise.jpg", "rotate": 0, "fit": "stretch", "threshold": "auto", "invert": false },
    { "box": 20, "picture": "logos/club.png", "rotate": 90, "fit": "fit", "threshold": 140, "invert": true },
    { "box": 7, "picture": "arrow.png" }
  ]
})";
    }
    const std::string env = "export XDG_DATA_HOME=" + Quote(Path("data"));
    const auto r = RunWheelctl("--simulate download-set " + Quote(Path("example.wheelset")) + " --transcript "
                                   + Quote(Path("t.txt")),
                               false, env);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(Has(r.out, "下载进度:33%\n下载进度:66%\n下载进度:100%\n")) << r.out;

    const auto block = [](const std::string& path, const wheel::PictureAdjustments& adjustments) {
        wheel::LoadOptions options;
        options.adjustments = adjustments;
        wheel::WheelPicture picture;
        picture.SetPicture(wheel::LoadPicture(path, options).picture);
        picture.RenderWheel(1);
        return picture.Block();
    };
    wheel::PictureAdjustments club;
    club.rotate = wheel::Rotation::Deg90;
    club.fit = wheel::FitMode::Fit;
    club.threshold = 140;
    club.invert = true;
    wheel::TransferBlock last = block(Path("logos/club.png"), club);
    last[493] = 0xBB;
    const std::pair<int, wheel::TransferBlock> sent[] = {
        {1, block(Path("sunrise.jpg"), {})}, {7, block(picture, {})}, {0, last}};
    std::vector<std::string> out;
    for (const auto& [slot, b] : sent)
        for (int c = 0; c < 8; ++c)
            out.push_back(Line("out", Report(static_cast<std::uint8_t>(slot), c, b)));
    ExpectExchange(Lines(Path("t.txt")), out);
    EXPECT_NE(sent[0].second, sent[1].second);

    const auto slots = RunWheelctl("--simulate slots", false, env);
    ASSERT_EQ(slots.status, 0);
    std::istringstream lines(slots.out);
    std::vector<std::string> fields;
    for (std::string line; std::getline(lines, line);)
        fields.push_back(line.substr(0, line.rfind('\t')));  // without the time
    ASSERT_EQ(fields.size(), 20u) << slots.out;
    EXPECT_EQ(fields[0], "1\t1\tsunrise.jpg");
    EXPECT_EQ(fields[1], "2\t2");  // "2\t2\tunknown" less its last field
    EXPECT_EQ(fields[6], "7\t7\tarrow.png");
    EXPECT_EQ(fields[19], "20\t0\tclub.png");
    // The real wheel light's record is another one.
    EXPECT_TRUE(Has(RunWheelctl("slots", false, env).out, "1\t1\tunknown\n"));
}

// Several pictures, each with its own --slots, in one download of 24
// reports whose blocks are each picture's `convert --block`.
TEST_F(ProtocolCli, SeveralPicturesInOneDownload)
{
    cv::Mat other(100, 200, CV_8UC3, cv::Scalar(255, 255, 255));
    cv::rectangle(other, {20, 20}, {120, 80}, cv::Scalar(0, 0, 0), cv::FILLED);
    const std::string second = Path("b.png");
    ASSERT_TRUE(cv::imwrite(second, other));
    ASSERT_EQ(RunWheelctl("convert " + Quote(picture) + " --block " + Quote(Path("a.bin"))).status, 0);
    ASSERT_EQ(RunWheelctl("convert " + Quote(second) + " --rotate 90 --block " + Quote(Path("b.bin"))).status, 0);
    const auto read = [](const std::string& path) {
        wheel::TransferBlock block{};
        std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(block.data()), block.size());
        return block;
    };
    const wheel::TransferBlock a = read(Path("a.bin"));
    wheel::TransferBlock b = read(Path("b.bin"));
    b[493] = 0xBB;

    const auto r = RunWheelctl("--simulate download " + Quote(picture) + " --slots 1,2 " + Quote(second)
                               + " --rotate 90 --slots 20 --transcript " + Quote(Path("t.txt")));
    ASSERT_EQ(r.status, 0) << r.out;
    std::vector<std::string> out;
    for (const auto& [slot, block] : {std::pair(1, a), std::pair(2, a), std::pair(0, b)})
        for (int c = 0; c < 8; ++c)
            out.push_back(Line("out", Report(static_cast<std::uint8_t>(slot), c, block)));
    ExpectExchange(Lines(Path("t.txt")), out);

    for (const std::string& bad : {" --slots 1 " + Quote(second) + " --slots 3,1", " --slots 1 " + Quote(second),
                                  " --slots 1 " + Quote(second) + " --slots 2 --rotate 45"}) {
        const auto refused = RunWheelctl("--simulate download " + Quote(picture) + bad);
        EXPECT_EQ(refused.status, 2) << bad << "\n" << refused.out;
    }
    EXPECT_TRUE(Has(RunWheelctl("--simulate download " + Quote(picture) + " --slots 1 " + Quote(second)
                                + " --slots 3,1").out,
                    "box 1 is named twice"));
}

// A set file that is a FIFO or a folder is refused at once with one line.
TEST_F(ProtocolCli, ASetFileThatIsNoRegularFileIsRefusedAtOnce)
{
    const std::string fifo = Path("fifo.wheelset");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto fromFifo = RunWheelctl("--simulate download-set " + Quote(fifo), true);
    EXPECT_EQ(fromFifo.status, 1);
    EXPECT_EQ(fromFifo.err, "wheelctl: " + fifo + ": cannot read the picture set: it is not a regular file\n");
    const auto fromFolder = RunWheelctl("--simulate download-set " + Quote(dir.string()), true);
    EXPECT_EQ(fromFolder.err, "wheelctl: " + dir.string() + ": cannot read the picture set: it is a folder\n");
}

TEST_F(ProtocolCli, WithoutAWheelLight)
{
    const auto r = RunWheelctl("--simulate=absent factory-reset");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.out, "尝试连接风火轮\n风火轮连接失败\n[温馨提示-_-] 请先连接USB到风火轮!")) << r.out;
}

} // namespace
