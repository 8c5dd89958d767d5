// wheelctl list: the wheel lights with their paths; none is not an error.

#include "tests/cli/CliRunner.h"

#include <gtest/gtest.h>

namespace {

TEST(WheelctlList, ListsTheSimulatedLightWhereverTheOptionStands)
{
    for (const char* args : {"--simulate list", "list --simulate"}) {
        const auto result = wheeltest::RunWheelctl(args);
        EXPECT_EQ(result.status, 0) << args;
        EXPECT_NE(result.out.find("sim:wheel-light\t0483:5750"), std::string::npos) << result.out;
    }
}

TEST(WheelctlList, FindingNoneIsNotAnError)
{
    const auto result = wheeltest::RunWheelctl("list --simulate=absent");
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "no wheel light found\n");
    EXPECT_EQ(wheeltest::RunWheelctl("--simulate list extra").status, 2);

    // The simulation named once, and only with a value it knows.
    for (const char* args : {"--simulate --simulate list", "--simulate=absent list --simulate"}) {
        const auto twice = wheeltest::RunWheelctl(args);
        EXPECT_EQ(twice.status, 2) << args;
        EXPECT_EQ(twice.out, "wheelctl: --simulate is given more than once (see wheelctl --help)\n") << args;
    }
    EXPECT_EQ(wheeltest::RunWheelctl("--simulate=maybe list").status, 2);
}

} // namespace
