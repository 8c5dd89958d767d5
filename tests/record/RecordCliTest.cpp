// wheelctl and the record: with a record that is no regular file of ours the
// downloads run and say once that the record cannot be kept, `slots` fails,
// nothing waits on a FIFO and nothing is written through a link; a download
// interrupted by SIGINT or SIGTERM stops after the report in flight and
// records what the wheel light confirmed.

#include "../cli/CliRunner.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using wheeltest::Quote;
using wheeltest::RunWheelctl;

class RecordCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("wheelctl-record-" + std::to_string(::getpid()));
        fs::create_directories(dir / "data" / "wheel-editor");
        record = (dir / "data" / "wheel-editor" / "wheel-record-simulated.json").string();
        env = "export XDG_DATA_HOME=" + Quote((dir / "data").string());
        picture = (dir / "grey.png").string();
        ASSERT_TRUE(cv::imwrite(picture, cv::Mat(40, 40, CV_8UC1, cv::Scalar(100))));
    }
    void TearDown() override { fs::remove_all(dir); }
    static std::size_t Count(const std::string& text, const std::string& part)
    {
        std::size_t n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    }
    fs::path dir;
    std::string record, env, picture;
};

TEST_F(RecordCli, ALinkInPlaceOfTheRecordIsNeverWrittenThrough)
{
    const std::string notes = (dir / "notes.txt").string();
    std::ofstream(notes) << "my notes\n";
    fs::create_symlink(notes, record);
    const auto download = RunWheelctl("--simulate download " + Quote(picture) + " --slots 1,2", true, env);
    EXPECT_EQ(download.status, 0) << download.err;
    EXPECT_EQ(download.err, "wheelctl: the record of the wheel light's slots " + record
                                + " cannot be used: it is a symbolic link, not a regular file; it is left as it is "
                                  "and not kept\n");
    std::ifstream in(notes);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "my notes\n");
    EXPECT_TRUE(fs::is_symlink(record));

    const auto slots = RunWheelctl("--simulate slots", true, env);
    EXPECT_EQ(slots.status, 1);
    EXPECT_EQ(slots.out, "");
    EXPECT_EQ(Count(slots.err, "\n"), 1u) << slots.err;
}

TEST_F(RecordCli, AFifoInPlaceOfTheRecordHoldsNothingUp)
{
    ASSERT_EQ(::mkfifo(record.c_str(), 0600), 0);
    // Were the FIFO opened the ordinary way, these would wait for ever.
    const auto download = RunWheelctl("--simulate factory-reset", true, env);
    EXPECT_EQ(download.status, 0) << download.err;
    EXPECT_EQ(Count(download.err, "it is not a regular file"), 1u) << download.err;
    EXPECT_EQ(RunWheelctl("--simulate slots", true, env).status, 1);
    EXPECT_TRUE(fs::is_fifo(record));
}

TEST_F(RecordCli, AnInterruptedDownloadStopsAfterTheReportInFlightAndIsRecorded)
{
    // wheelctl in the background, interrupted once its progress reaches 10%;
    // the shell prints its exit status last.
    const auto interrupt = [&](const std::string& args, const char* signal) {
        const std::string out = Quote((dir / "out.txt").string());
        return RunWheelctl("", false,
                           env + "; export WHEEL_SIMULATED_LATENCY_MS=5; " + Quote(wheeltest::WheelctlPath()) + " "
                               + args + " >" + out + " 2>&1 & i=0; while ! grep -q '下载进度:10%' " + out
                               + " && [ $i -lt 3000 ]; do sleep 0.01; i=$((i+1)); done; kill -" + signal
                               + " $!; wait $!; echo status $?; cat " + out + "; exit 0")
            .out;
    };
    const std::string out = interrupt("--simulate download " + Quote(picture) + " --slots "
                                          + "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20 --transcript "
                                          + Quote((dir / "t.txt").string()),
                                      "INT");
    EXPECT_TRUE(out.starts_with("status 130\n")) << out;
    EXPECT_NE(out.find("下载已停止"), std::string::npos) << out;
    EXPECT_EQ(out.find("下载进度:100%"), std::string::npos) << out;

    const auto slots = RunWheelctl("--simulate slots", true, env);
    ASSERT_EQ(slots.status, 0) << slots.err;
    const int known = int(Count(slots.out, "grey.png"));
    EXPECT_GE(known, 2) << slots.out;
    EXPECT_LT(known, 20) << slots.out;
    // The transcript is written: nothing went out after the answer awaited.
    std::ifstream transcript(dir / "t.txt");
    const std::string lines(std::istreambuf_iterator<char>(transcript), {});
    EXPECT_GT(Count(lines, "out "), 0u);
    EXPECT_LE(Count(lines, "out "), std::size_t(8 * (known + 1)));

    EXPECT_TRUE(interrupt("--simulate factory-reset", "TERM").starts_with("status 143\n"));
}

} // namespace
