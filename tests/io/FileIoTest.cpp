// Reading a file never waits on a FIFO, says what a path is when it is not
// a regular file, and refuses a file over its limit before reading it;
// writing one replaces it whole or not at all.

#include "io/OutputFile.h"
#include "io/ReadFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using wheel::ReadError;
using wheel::ReadFile;

class FileIoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("wheel-io-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::string Put(const std::string& name, const std::string& text) const
    {
        std::ofstream(Path(name), std::ios::binary) << text;
        return Path(name);
    }
    fs::path dir;
};

TEST_F(FileIoTest, ReadsARegularFileAndNamesWhatElseAPathIs)
{
    const auto read = ReadFile(Put("a.txt", "hello"), 5);
    ASSERT_TRUE(read);
    EXPECT_EQ(std::string(read.bytes.begin(), read.bytes.end()), "hello");
    EXPECT_TRUE(ReadFile(Put("empty", ""), 0));

    EXPECT_EQ(ReadFile(Path("none"), 10).failure.error, ReadError::Missing);
    EXPECT_EQ(ReadFile(Path("a.txt/below"), 10).failure.error, ReadError::Missing);
    fs::create_directory(Path("folder"));
    const auto folder = ReadFile(Path("folder"), 10).failure;
    EXPECT_EQ(folder.error, ReadError::Folder);
    EXPECT_EQ(folder.Text(), "is a folder");
    EXPECT_EQ(ReadFile("/dev/null", 10).failure.Text(), "is not a regular file");

    // A link is followed, or refused as a link when asked.
    fs::create_symlink("a.txt", Path("link"));
    EXPECT_TRUE(ReadFile(Path("link"), 10));
    const auto link = ReadFile(Path("link"), 10, wheel::FollowLinks::No).failure;
    EXPECT_EQ(link.error, ReadError::Link);
    EXPECT_EQ(link.Text(), "is a symbolic link, not a regular file");
    fs::create_symlink("none", Path("dangling"));
    EXPECT_EQ(ReadFile(Path("dangling"), 10).failure.error, ReadError::Missing);
    EXPECT_EQ(ReadFile(Path("dangling"), 10, wheel::FollowLinks::No).failure.error, ReadError::Link);
}

TEST_F(FileIoTest, AFifoIsRefusedWithoutWaitingForAWriter)
{
    const std::string fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Were it opened the ordinary way, this would wait for ever: the test's
    // own timeout is the guard.
    EXPECT_EQ(ReadFile(fifo, 10).failure.error, ReadError::NotRegular);
    fs::create_symlink("fifo", Path("to-fifo"));
    EXPECT_EQ(ReadFile(Path("to-fifo"), 10).failure.error, ReadError::NotRegular);
}

TEST_F(FileIoTest, AFileOverTheLimitIsRefusedUnread)
{
    EXPECT_TRUE(ReadFile(Put("six", "123456"), 6));
    const auto over = ReadFile(Path("six"), 5).failure;
    EXPECT_EQ(over.error, ReadError::TooLarge);
    EXPECT_EQ(over.Text(), "is too large (over 5 bytes)");

    // A sparse terabyte: refused from its size alone.
    const std::string huge = Put("huge", "");
    ASSERT_EQ(::truncate(huge.c_str(), off_t(1) << 40), 0);
    EXPECT_EQ(ReadFile(huge, 1 << 20).failure.error, ReadError::TooLarge);
}

TEST_F(FileIoTest, AFileTheUserMayNotReadGivesTheSystemsReason)
{
    const std::string secret = Put("secret", "x");
    ASSERT_EQ(::chmod(secret.c_str(), 0), 0);
    // Root reads anything: the check runs as an ordinary user then.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        const auto failure = ReadFile(secret, 10).failure;
        ::_exit(failure.error == ReadError::Unreadable && failure.Text() == "cannot be read: Permission denied" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(FileIoTest, AWriteReplacesWholeOrNothing)
{
    const std::string path = Path("out.bin");
    const std::vector<std::uint8_t> first(1000, 1), second(10, 2);
    ASSERT_TRUE(wheel::WriteOutputFile(path, first));
    ASSERT_TRUE(wheel::WriteOutputFile(path, second));
    EXPECT_EQ(fs::file_size(path), 10u);

    wheel::OutputError error;
    EXPECT_FALSE(wheel::WriteOutputFile(Path("no/such/dir/out.bin"), first, &error));
    EXPECT_FALSE(error.reason.empty());
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 1u);  // no temporary file left behind
}

} // namespace
