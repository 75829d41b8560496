// Runs the built program and compares stdout, stderr and the exit status exactly.
#include <gtest/gtest.h>

#include "support/expected_output.h"
#include "support/process_runner.h"

namespace {

struct FrontEndCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string out;
    int status;
};

const FrontEndCase kCases[] = {
    {"NoArguments", {}, kExpectedBanner + kExpectedUsage, 1},
    {"OnlyCommandWord", {"-del"}, kExpectedBanner + kExpectedUsage, 1},
    {"UpperCaseOptionIsAnUnknownCommandWord",
     {"-GUID:{9A5EA990-3034-4D6F-9128-01F3C61022BC}", "-add", "all", "x.exe"},
     kExpectedBanner + kExpectedUsage,
     1},
    {"GuidObtainedThenUnknownCommandWord",
     {"-guid:{9A5EA990-3034-4D6F-9128-01F3C61022BC}", "-x", "y"},
     kExpectedBanner + "GUID {9A5EA990-3034-4D6F-9128-01F3C61022BC} obtained\n" + kExpectedUsage,
     1},
    {"UnknownCommandWord", {"-install", "all", "x.exe"}, kExpectedBanner + kExpectedUsage, 1},
    {"AddWithoutPath", {"-add", "current"}, kExpectedBanner + kExpectedUsage, 1},
    {"AddWithOptionAndWithoutPath",
     {"-guid:{9A5EA990-3034-4D6F-9128-01F3C61022BC}", "-add", "current"},
     kExpectedBanner + "GUID {9A5EA990-3034-4D6F-9128-01F3C61022BC} obtained\n" + kExpectedUsage,
     1},
};

class FrontEndProcessTest : public testing::TestWithParam<FrontEndCase> {};

TEST_P(FrontEndProcessTest, PrintsExactlyAndExits) {
    const FrontEndCase& c = GetParam();
    ProcessResult result = RunProcess(BRACKENFOLD_PROGRAM, c.arguments);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exitStatus, c.status);
}

INSTANTIATE_TEST_SUITE_P(CommandLines, FrontEndProcessTest, testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
