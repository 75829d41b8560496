// Runs the built program and compares stdout, stderr and the exit status exactly.
#include <gtest/gtest.h>

#include "support/expected_output.h"
#include "support/process_runner.h"
#include "support/text_lines.h"

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
     kExpectedBanner + GuidObtainedLine("{9A5EA990-3034-4D6F-9128-01F3C61022BC}") + kExpectedUsage,
     1},
    {"UnknownCommandWord", {"-install", "all", "x.exe"}, kExpectedBanner + kExpectedUsage, 1},
    {"AddWithoutPath", {"-add", "current"}, kExpectedBanner + kExpectedUsage, 1},
    {"AddWithOptionAndWithoutPath",
     {"-guid:{9A5EA990-3034-4D6F-9128-01F3C61022BC}", "-add", "current"},
     kExpectedBanner + GuidObtainedLine("{9A5EA990-3034-4D6F-9128-01F3C61022BC}") + kExpectedUsage,
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

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// BRACKENFOLD_DEBUG=1 shows every diagnostic line on standard error as soon as it is complete,
// so each failure line is followed at once by its diagnostic copy; nothing else changes, and
// any other value shows nothing.
TEST(DiagnosticLinesTest, ShowOnStandardErrorWhenAskedFor) {
    // No place for a system (no home folder): the add reports a failure either way.
    const std::vector<std::string> arguments = {"-add", "all", "C:\\Games\\Demo\\demo.exe",
                                                "Star*;C:\\Games\\Demo\\demo.exe;play"};
    ProcessOptions options;
    options.environment = {{"HOME", ""}, {"XDG_DATA_HOME", ""}};
    const ProcessResult plain = RunProcess(BRACKENFOLD_PROGRAM, arguments, options);
    ASSERT_FALSE(plain.err.empty());

    options.environment["BRACKENFOLD_DEBUG"] = "yes";
    const ProcessResult other = RunProcess(BRACKENFOLD_PROGRAM, arguments, options);
    EXPECT_EQ(other.out, plain.out);
    EXPECT_EQ(other.err, plain.err);

    options.environment["BRACKENFOLD_DEBUG"] = "1";
    const ProcessResult shown = RunProcess(BRACKENFOLD_PROGRAM, arguments, options);
    EXPECT_EQ(shown.out, plain.out);
    EXPECT_EQ(shown.exitStatus, plain.exitStatus);
    const std::vector<std::string> lines = LinesOf(shown.err);
    std::vector<std::string> consoleLines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (StartsWith(lines[i], "debug: ") || StartsWith(lines[i], "debug error: ")) {
            continue;
        }
        consoleLines.push_back(lines[i]);
        ASSERT_LT(i + 1, lines.size());
        EXPECT_EQ(lines[i + 1], "debug error: " + lines[i]);
    }
    EXPECT_EQ(consoleLines, LinesOf(plain.err));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "debug: GUID: 00000000-0000-0000-0000-000000000000");
    EXPECT_EQ(lines[1], "debug: Command: -add");
    EXPECT_EQ(lines.back(), "debug: " + WithoutLineFeed(DoneLine()));
}

}  // namespace
