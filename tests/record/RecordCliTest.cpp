// wheelctl and a record that is no regular file of ours: the downloads run
// and say once that the record cannot be kept, `slots` fails, nothing waits
// on a FIFO and nothing is written through a link.

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

} // namespace
