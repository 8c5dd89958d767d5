// wheelctl and the record: with a record that is no regular file of ours the
// downloads run and say once that the record cannot be kept, `slots` fails,
// nothing waits on a FIFO and nothing is written through a link; a download
// interrupted by SIGINT or SIGTERM stops after the report in flight and
// records what the wheel light confirmed.

#include "../cli/CliRunner.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

#include <filesystem>
#include <csignal>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
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
    void TearDown() override
    {
        ::unsetenv("WHEEL_SIMULATED_LATENCY_MS");
        fs::remove_all(dir);
    }
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

// Runs wheelctl with `args`, sends `signal` once its output holds `after`,
// and returns its exit status and output.
std::pair<int, std::string> Interrupt(const std::vector<std::string>& args, const std::string& after, int signal)
{
    int out[2];
    if (::pipe(out) != 0)
        return {-1, {}};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char*> argv;
    const std::string program = wheeltest::WheelctlPath();
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return {-1, {}};
    }
    std::string text;
    bool sent = false;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, std::size_t(n));
        if (!sent && text.find(after) != std::string::npos) {
            ::kill(pid, signal);
            sent = true;
        }
    }
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status), text};
}

TEST_F(RecordCli, AnInterruptedDownloadStopsAfterTheReportInFlightAndIsRecorded)
{
    ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    ::setenv("WHEEL_SIMULATED_LATENCY_MS", "5", 1);
    const std::vector<std::string> download = {"--simulate", "download", picture, "--slots",
                                               "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20",
                                               "--transcript", (dir / "t.txt").string()};
    const auto [status, out] = Interrupt(download, "下载进度:10%", SIGINT);
    EXPECT_EQ(status, 130) << out;
    EXPECT_NE(out.find("下载已停止"), std::string::npos) << out;
    EXPECT_EQ(out.find("下载进度:100%"), std::string::npos) << out;

    const auto slots = RunWheelctl("--simulate slots", true, env);
    ASSERT_EQ(slots.status, 0) << slots.err;
    std::istringstream lines(slots.out);
    int known = 0;
    for (std::string line; std::getline(lines, line);)
        known += line.find("grey.png") != std::string::npos;
    EXPECT_GE(known, 2) << slots.out;
    EXPECT_LT(known, 20) << slots.out;
    // The transcript is written: nothing went out after the answer awaited.
    std::ifstream transcript(dir / "t.txt");
    int reports = 0;
    for (std::string line; std::getline(transcript, line);)
        reports += line.starts_with("out");
    EXPECT_GT(reports, 0);
    EXPECT_LE(reports, 8 * (known + 1));

    EXPECT_EQ(Interrupt({"--simulate", "factory-reset"}, "下载进度:10%", SIGTERM).first, 143);
}

} // namespace
