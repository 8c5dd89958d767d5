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
    // The machine may or may not have a wheel light; either way the command
    // succeeds, and every line it lists is one.
    const auto result = wheeltest::RunWheelctl("list");
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out.find("sim:"), std::string::npos);
    EXPECT_EQ(wheeltest::RunWheelctl("list extra").status, 2);
}

} // namespace
