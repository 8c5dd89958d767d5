// wheelctl's command line: usage errors name the option at fault, and the
// editor's lines follow the language as the editor's window does.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

using wheeltest::Quote;
using wheeltest::RunWheelctl;

TEST(UsageCli, UnknownOrRepeatedOptionIsNamedInOneLine)
{
    const std::string frame = (std::filesystem::temp_directory_path() / "wheelctl-usage-frame.bin").string();
    std::filesystem::remove(frame);
    struct Case {
        std::string args;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"convert p.png --bogus", "wheelctl: unknown option '--bogus' (see wheelctl convert --help)\n"},
        {"convert p.png --frame " + frame + " --frame " + frame,
         "wheelctl: --frame is given more than once (see wheelctl convert --help)\n"},
        {"convert --48=on p.png --48 off", "wheelctl: --48 is given more than once (see wheelctl convert --help)\n"},
        {"download p.png --slots 1 -x", "wheelctl: unknown option '-x' (see wheelctl download --help)\n"},
        {"download p.png --slots 1 --slots=2", "wheelctl: --slots is given more than once (see wheelctl download --help)\n"},
        {"calibrate --angle 5 --left --left", "wheelctl: --left is given more than once (see wheelctl calibrate --help)\n"},
        {"calibrate --angle 5 --left --up=1", "wheelctl: unknown option '--up' (see wheelctl calibrate --help)\n"},
        {"factory-reset --transcript t --transcript t",
         "wheelctl: --transcript is given more than once (see wheelctl factory-reset --help)\n"},
        {"list --all", "wheelctl: unknown option '--all' (see wheelctl list --help)\n"},
        {"list --lang en --lang zh", "wheelctl: --lang is given more than once (see wheelctl list --help)\n"},
    };
    for (const Case& c : cases) {
        const wheeltest::CliResult r = RunWheelctl("--simulate " + c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.out, c.line) << c.args;
    }
    EXPECT_FALSE(std::filesystem::exists(frame));
}

TEST(UsageCli, EditorLinesFollowLangAndTheSystemLanguage)
{
    const char* source = std::getenv("WHEEL_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string download = "--simulate download " + Quote(std::string(source) + "/res/samples/wheel-sample.png")
                                 + " --slots 1";
    auto ascii = [](const std::string& s) { return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; }); };
    auto has = [](const std::string& s, const char* text) { return s.find(text) != std::string::npos; };

    wheeltest::CliResult r = RunWheelctl("--lang en " + download);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(has(r.out, "Download succeeded!\n[Congratulations] Pictures downloaded!\n")) << r.out;
    EXPECT_TRUE(ascii(r.out)) << r.out;   // every line translated

    r = RunWheelctl(download);   // the C locale of the tests: Chinese
    EXPECT_TRUE(has(r.out, "下载成功！\n[恭喜] 图片下载完成!\n")) << r.out;

    ::setenv("LANG", "en_US.UTF-8", 1);
    r = RunWheelctl(download);
    EXPECT_TRUE(has(r.out, "[Congratulations] Pictures downloaded!\n")) << r.out;
    EXPECT_TRUE(ascii(r.out)) << r.out;
    r = RunWheelctl(download + " --lang zh");
    EXPECT_TRUE(has(r.out, "[恭喜] 图片下载完成!\n")) << r.out;
    r = RunWheelctl("--lang fr " + download);
    EXPECT_TRUE(has(r.out, "wheelctl: no translation for --lang fr")) << r.out;
    EXPECT_TRUE(has(r.out, "[恭喜] 图片下载完成!\n")) << r.out;
    ::setenv("LANG", "C.UTF-8", 1);
}

} // namespace
