// Runs the built program and compares stdout, stderr and the exit status exactly.
#include <gtest/gtest.h>

#include "support/process_runner.h"

namespace {

const std::string kBanner =
    "\nBrackenfold v 1.0.\nRegisters games and their tasks with Windows Game Explorer.\n";
const std::string kUsage =
    "\nUsage:\n"
    "\tBrackenfold.exe [<-guid:>GUID] <-add current>|<-add all>|<-del> <path> "
    "[Name;path;args [Name;path;args [...]]]\n"
    "\t<-guid:> - GUID for game\n"
    "\t<-add current> - Add game into current user explorer\n"
    "\t<-add all> - Add game into all user explorers\n"
    "\t<-del> - Remove game from game explorer\n"
    "\t<path> - path to binary executable\n"
    "\n\t\tName - Task name to add\n"
    "\t\tpath - path to binary file\n"
    "\t\targs - optional arguments\n";

struct FrontEndCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string out;
    int status;
};

const FrontEndCase kCases[] = {
    {"NoArguments", {}, kBanner + kUsage, 1},
    {"OnlyCommandWord", {"-del"}, kBanner + kUsage, 1},
    {"UpperCaseOptionIsACommandWord",
     {"-GUID:{9A5EA990-3034-4D6F-9128-01F3C61022BC}", "-x", "y"},
     kBanner + "done.\n",
     0},
    {"GuidObtained",
     {"-guid:{9A5EA990-3034-4D6F-9128-01F3C61022BC}", "-x", "y"},
     kBanner + "GUID {9A5EA990-3034-4D6F-9128-01F3C61022BC} obtained\ndone.\n",
     0},
    {"UnknownCommandWord", {"-list", "whatever"}, kBanner + "done.\n", 0},
    {"AddWithoutPath", {"-add", "current"}, kBanner + kUsage, 1},
    {"AddWithOptionAndWithoutPath",
     {"-guid:{9A5EA990-3034-4D6F-9128-01F3C61022BC}", "-add", "current"},
     kBanner + "GUID {9A5EA990-3034-4D6F-9128-01F3C61022BC} obtained\n" + kUsage,
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
