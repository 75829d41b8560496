#include "cli/entry.h"
#include "output/program_texts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/debug_streams.h"
#include "registration/game_registration.h"
#include "support/console_capture.h"
#include "support/debug_capture.h"
#include "support/expected_output.h"
#include "support/faulting_system.h"
#include "support/reason_codes.h"

namespace {

struct EntryRun {
    int status;
    std::string out;
    std::string err;
    std::vector<DebugLine> debug;
};

// Runs the entry routine in this process with the given elements after the program path.
EntryRun RunEntry(std::vector<std::wstring> elements) {
    elements.insert(elements.begin(), L"brackenfold");
    std::vector<wchar_t*> argv;
    for (std::wstring& element : elements) {
        argv.push_back(element.data());
    }
    DebugCapture debug;
    ConsoleCapture console;
    int status = wmain(static_cast<int>(argv.size()), argv.data());
    return {status, console.Out(), console.Err(), debug.Lines()};
}

TEST(Entry, GuidOptionThatIsExactlyABracedGuidIsReportedAsTyped) {
    FaultingSystem system;
    const GUID gameId = {
        0x9A5EA990, 0x3034, 0x4D6F, {0x91, 0x28, 0x01, 0xF3, 0xC6, 0x10, 0x22, 0xBC}};
    system.PutFile(L"C:\\demo.exe");
    ASSERT_EQ(RegisterGame(L"C:\\demo.exe", L"C:\\", GIS_ALL_USERS, gameId), S_OK);
    EntryRun run = RunEntry({L"-guid:{9a5ea990-3034-4D6F-9128-01F3C61022BC}", L"-DEL", L"y"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kExpectedBanner +
                           GuidObtainedLine("{9a5ea990-3034-4D6F-9128-01F3C61022BC}") +
                           RegistrationRemovedLines("y") + DoneLine());
    EXPECT_EQ(run.debug[0], (DebugLine{kDebugOut, std::string(kGuidEchoText) +
                                                      "9a5ea990-3034-4d6f-9128-01f3c61022bc"}));
    EXPECT_EQ(run.debug[1], (DebugLine{kDebugOut, std::string(kCommandEchoText) + "-DEL"}));
}

// A text that is not exactly a braced GUID (one the parser would take in part included) is
// refused on standard error and the run goes on without a GUID; with -exitcode it stops there.
TEST(Entry, GuidOptionThatIsNotExactlyABracedGuidIsRefused) {
    for (const std::string text :
         {"", "nonsense", "{1-2-3}", "{9A5EA990-3034-4D6F-9128-01F3C61022BC",
          "9A5EA990-3034-4D6F-9128-01F3C61022BC", "{9A5EA990-3034-4D6F-9128-01F3C61022BC}junk",
          "{9A5EA990-3034-4D6F-9128-01F3C61022B}", "{9A5EA990-3034-4D6F-9128-01F3C61022BCD}",
          "{00000000-0000-0000-0000-000000000000}"}) {
        SCOPED_TRACE(text);
        const std::wstring option = L"-guid:" + std::wstring(text.begin(), text.end());
        FaultingSystem system;
        EntryRun run = RunEntry({option, L"-del", L"y"});
        EXPECT_EQ(run.out, kExpectedBanner + DoneLine());
        EXPECT_EQ(WithReasonCodesOnly(run.err),
                  GuidIgnoredLine(text) + NotFoundLine("y") + ReasonCode("0x80070490"));
        EXPECT_THAT(run.debug, testing::Contains(DebugLine{
                                   kDebugOut, std::string(kGuidEchoText) +
                                                  "00000000-0000-0000-0000-000000000000"}));
        ConsoleCapture console;
        EXPECT_EQ(RunCommandLine({L"prog", L"-exitcode", option, L"-del", L"y"}, false), 1);
        EXPECT_EQ(console.Out() + console.Err(), GuidIgnoredLine(text));
    }
}

// -nologo leaves out the banner and nothing else, in any order with the other options.
TEST(Entry, NoLogoLeavesOutTheBannerOnly) {
    FaultingSystem system;
    const EntryRun plain =
        RunEntry({L"-guid:{9a5ea990-3034-4D6F-9128-01F3C61022BC}", L"-del", L"y"});
    const EntryRun quiet =
        RunEntry({L"-guid:{9a5ea990-3034-4D6F-9128-01F3C61022BC}", L"-nologo", L"-del", L"y"});
    EXPECT_EQ(kExpectedBanner + quiet.out, plain.out);
    EXPECT_EQ(quiet.err, plain.err);
    EXPECT_EQ(quiet.status, plain.status);
}

// The usage ends the run with status 1 and returns to the caller, with a diagnostic line that
// says why; nothing else is printed after the banner.
TEST(Entry, TooFewArgumentsOrUnknownCommandPrintUsageAndReturnOne) {
    struct UsageCase {
        std::vector<std::wstring> elements;  // after the program path
        std::vector<DebugLine> debug;
        std::string guidLine;  // the "GUID ... obtained" line before the usage
    };
    const DebugLine noGuid{kDebugOut,
                           std::string(kGuidEchoText) + "00000000-0000-0000-0000-000000000000"};
    const std::string option = "-guid:{01020304-0506-0708-090A-0B0C0D0E0F10}";
    const std::wstring wideOption(option.begin(), option.end());
    const DebugLine givenGuid{kDebugOut,
                              std::string(kGuidEchoText) + "01020304-0506-0708-090a-0b0c0d0e0f10"};
    const std::string obtained = GuidObtainedLine(option.substr(6));
    std::vector<UsageCase> cases = {
        {{}, {{kDebugErr, std::string(kTooFewArgumentsText) + "1"}}, ""},
        {{L"-del"}, {{kDebugErr, std::string(kTooFewArgumentsText) + "2"}}, ""},
        {{L"-add", L"current"},
         {noGuid,
          {kDebugOut, std::string(kCommandEchoText) + "-add"},
          {kDebugOut, std::string(kTooFewForAddText) + "3"}},
         ""},
        {{wideOption, L"-add", L"current"},
         {givenGuid,
          {kDebugOut, std::string(kCommandEchoText) + "-add"},
          {kDebugOut, std::string(kTooFewForAddText) + "4"}},
         obtained},
        {{wideOption, L"-del"},
         {givenGuid,
          {kDebugOut, std::string(kCommandEchoText) + "-del"},
          {kDebugOut, std::string(kTooFewForDeleteText) + "3"}},
         obtained},
    };
    // Command words match whole words in any case; the option only in lower case.
    for (const std::string word : {"-x", "-add2", "add", "-delete", "del", "-install",
                                   "-GUID:{9A5EA990-3034-4D6F-9128-01F3C61022BC}"}) {
        cases.push_back({{std::wstring(word.begin(), word.end()), L"all", L"x.exe"},
                         {noGuid,
                          {kDebugOut, kCommandEchoText + word},
                          {kDebugErr, kUnknownCommandText + word}},
                         ""});
    }
    for (const UsageCase& c : cases) {
        FaultingSystem system;
        const EntryRun run = RunEntry(c.elements);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, kExpectedBanner + c.guidLine + kExpectedUsage);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.debug, c.debug);
    }
}

// RunCommandLine prints no banner, and -exitcode as the first argument is taken off before the
// command line is read.
TEST(Entry, RunCommandLineTakesExitCodeOffAndPrintsNoBanner) {
    FaultingSystem system;
    DebugCapture debug;
    ConsoleCapture console;
    const int status = RunCommandLine({L"prog", L"-nologo", L"-exitcode", L"-del", L"y"}, false);
    EXPECT_EQ(status, 0);  // nothing was registered with the path: nothing is left
    EXPECT_EQ(console.Out(), DoneLine());
    EXPECT_THAT(debug.Lines(),
                testing::Contains(DebugLine{kDebugOut, std::string(kCommandEchoText) + "-del"}));
}

// The caller that asks for the outcome (an installer's custom action) gets it without the option.
TEST(Entry, RunCommandLineReportsTheOutcomeWhenTheCallerAsks) {
    FaultingSystem system;
    ConsoleCapture console;
    // No game at the path: not added.
    EXPECT_EQ(RunCommandLine({L"prog", L"-add", L"all", L"C:\\x.exe"}, true), 2);
    EXPECT_EQ(RunCommandLine({L"prog", L"-add", L"all", L"C:\\x.exe"}, false), 0);
    EXPECT_EQ(RunCommandLine({L"prog", L"-add", L"all"}, true), 1);
    // A folder's trailing backslash made the closing quote a literal one: the task is not added.
    system.PutFile(L"C:\\x.exe");
    EXPECT_EQ(RunCommandLine({L"prog", L"-add", L"all", L"C:\\x.exe",
                              L"Play;C:\\x.exe;play;-data C:\\\" Manual;C:\\m.txt;support"},
                             true),
              3);
}

}  // namespace
