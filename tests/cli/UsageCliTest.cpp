// wheelctl's command line: usage errors name the option at fault, and the
// editor's lines follow the language as in the editor's window.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

using wheeltest::CliResult;
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
