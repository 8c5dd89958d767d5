// wheelctl's command line: usage errors name the option at fault, and the
// editor's lines follow the language as in the editor's window.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

using wheeltest::CliResult;
using wheeltest::Quote;
using wheeltest::RunWheelctl;

TEST(UsageCli, UnknownOrRepeatedOptionIsNamedInOneLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"convert p.png --bogus", "unknown option '--bogus' (see wheelctl convert --help)"},
        {"convert --frame=a p.png --frame a", "--frame is given more than once (see wheelctl convert --help)"},
        {"download p.png --slots 1 -x", "unknown option '-x' (see wheelctl download --help)"},
        {"calibrate --angle 5 --left --left", "--left is given more than once (see wheelctl calibrate --help)"},
        {"factory-reset --up=1", "unknown option '--up' (see wheelctl factory-reset --help)"},
        {"list --lang en --lang zh", "--lang is given more than once (see wheelctl list --help)"},
    };
    for (const auto& [args, line] : cases) {
        const CliResult r = RunWheelctl(std::string("--simulate ") + args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out, std::string("wheelctl: ") + line + "\n") << args;
    }
}

// What a word means decides, not how it is spelt: "--" ends the options, a
// number is read by value, and a file name must name something.
TEST(UsageCli, ArgumentsAreReadByWhatTheyMean)
{
    namespace fs = std::filesystem;
    // A folder of this run's own: another user's run, or one of another
    // checkout, may be using the same /tmp.
    const fs::path dir = fs::path(::testing::TempDir()) / ("usage-cli-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string sample = std::string(std::getenv("WHEEL_SOURCE_DIR")) + "/res/samples/wheel-sample.png";
    const fs::path dashed = dir / "-dashed.png";
    fs::copy_file(sample, dashed);
    auto frame = [&](const std::string& args) {
        const CliResult r = RunWheelctl("convert --frame - " + args, true);
        EXPECT_EQ(r.status, 0) << args << r.err;
        return r.out;
    };
    const std::string plain = frame(Quote(sample) + " --rotate 90 --threshold 120");
    EXPECT_EQ(plain.size(), 492u);
    EXPECT_EQ(frame(Quote(sample) + " --rotate 0090 --threshold=0120"), plain);
    EXPECT_EQ(frame("--rotate 90 --threshold 120 -- " + Quote(dashed.string())), plain);

    const std::pair<std::string, std::string> cases[] = {
        {"convert " + Quote(sample) + " --frame ''", "--frame: empty file name"},
        {"download " + Quote(sample) + " --slots 1 --transcript=", "--transcript: empty file name"},
        {"convert " + Quote(sample) + " --preview", "--preview needs a value: --preview FILE (see wheelctl convert --help)"},
        {"convert " + Quote(sample) + " --rotate 00450", "--rotate takes 0, 90, 180 or 270 (degrees clockwise)"},
        {"convert " + Quote(sample) + " --threshold 99999999999999999999", "--threshold takes auto or a whole number from 0 to 254"},
        {"slots --save-set -", "--save-set: a picture set is a file and its pictures beside it, not a stream: name a file"},
    };
    for (const auto& [args, line] : cases) {
        const CliResult r = RunWheelctl("--simulate " + args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out, "wheelctl: " + line + "\n") << args;
    }
    EXPECT_EQ(RunWheelctl("--simulate download " + Quote(sample) + " --slots 01,020").status, 0);

    // A name with control characters still takes one line of `slots`.
    const fs::path odd = dir / "tab\there\nnewline\\.png";
    fs::copy_file(sample, odd);
    ASSERT_EQ(RunWheelctl("--simulate download " + Quote(odd.string()) + " --slots 3").status, 0);
    const CliResult slots = RunWheelctl("--simulate slots", true);
    EXPECT_EQ(std::count(slots.out.begin(), slots.out.end(), '\n'), 20) << slots.out;
    EXPECT_NE(slots.out.find("\ttab\\there\\nnewline\\\\.png\t"), std::string::npos) << slots.out;
}

TEST(UsageCli, EditorLinesFollowLangAndTheSystemLanguage)
{
    const std::string download = "--simulate download "
        + wheeltest::Quote(std::string(std::getenv("WHEEL_SOURCE_DIR")) + "/res/samples/wheel-sample.png") + " --slots 1";
    auto english = [](const CliResult& r) {   // every line translated
        return r.out.find("[Congratulations] Pictures downloaded!\n") != std::string::npos
               && std::none_of(r.out.begin(), r.out.end(), [](char c) { return c & 0x80; });
    };
    const CliResult asked = RunWheelctl("--lang en " + download);
    ::setenv("LANG", "en_US.UTF-8", 1);
    const CliResult system = RunWheelctl(download);
    const CliResult chinese = RunWheelctl(download + " --lang zh");
    ::setenv("LANG", "C.UTF-8", 1);
    EXPECT_TRUE(english(asked)) << asked.out;
    EXPECT_TRUE(english(system)) << system.out;
    EXPECT_NE(chinese.out.find("[恭喜] 图片下载完成!\n"), std::string::npos) << chinese.out;
}

} // namespace
