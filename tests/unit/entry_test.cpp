#include "cli/entry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "output/debug_sink_test_seam.h"
#include "support/console_capture.h"
#include "support/debug_capture.h"
#include "support/expected_output.h"

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

// In a death test's child, debug lines are echoed to stderr so that the parent can match them.
void EchoDebugLinesToStderr(int channel, const char* line) {
    std::fprintf(stderr, "[%d]%s", channel, line);
}

TEST(Entry, UnknownCommandWordEndsWithDone) {
    EntryRun run = RunEntry({L"-x", L"y"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kExpectedBanner + "done.\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.debug, (std::vector<DebugLine>{
                             {kDebugOut, "GUID: 00000000-0000-0000-0000-000000000000"},
                             {kDebugOut, "Command: -x"},
                             {kDebugOut, "done."},
                         }));
}

TEST(Entry, GuidOptionThatParsesIsReportedAsTyped) {
    EntryRun run = RunEntry({L"-guid:{9a5ea990-3034-4D6F-9128-01F3C61022BC", L"-x", L"y"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              kExpectedBanner + "GUID {9a5ea990-3034-4D6F-9128-01F3C61022BC obtained\ndone.\n");
    EXPECT_EQ(run.debug[0], (DebugLine{kDebugOut, "GUID: 9a5ea990-3034-4d6f-9128-01f3c61022bc"}));
    EXPECT_EQ(run.debug[1], (DebugLine{kDebugOut, "Command: -x"}));
}

TEST(Entry, GuidOptionThatDoesNotParseStillShiftsTheCommandWord) {
    for (const wchar_t* option : {L"-guid:", L"-guid:nonsense", L"-guid:{1-2-3}"}) {
        EntryRun run = RunEntry({option, L"-word", L"y"});
        EXPECT_EQ(run.out, kExpectedBanner + "done.\n");
        EXPECT_THAT(run.debug, testing::Contains(DebugLine{kDebugOut, "Command: -word"}));
        EXPECT_THAT(run.debug, testing::Contains(DebugLine{
                                   kDebugOut, "GUID: 00000000-0000-0000-0000-000000000000"}));
    }
}

TEST(Entry, OptionIsCaseSensitiveAndOnlyInElementOne) {
    EntryRun upper = RunEntry({L"-GUID:{9A5EA990-3034-4D6F-9128-01F3C61022BC}", L"-x", L"y"});
    EXPECT_EQ(upper.out, kExpectedBanner + "done.\n");
    EXPECT_THAT(upper.debug,
                testing::Contains(
                    DebugLine{kDebugOut, "Command: -GUID:{9A5EA990-3034-4D6F-9128-01F3C61022BC}"}));

    EntryRun later = RunEntry({L"-x", L"-guid:{9A5EA990-3034-4D6F-9128-01F3C61022BC}", L"y"});
    EXPECT_EQ(later.out, kExpectedBanner + "done.\n");
}

TEST(Entry, CommandWordsMatchWholeWordsInAnyCase) {
    // -add2 and add select no command, so they end at once; the add command would need more.
    for (const wchar_t* word : {L"-add2", L"add", L"-delete", L"del"}) {
        EntryRun run = RunEntry({word, L"x"});
        EXPECT_EQ(run.out, kExpectedBanner + "done.\n")
            << testing::PrintToString(std::wstring(word));
    }
}

TEST(EntryDeathTest, TooFewArgumentsPrintUsageAndExitOne) {
    auto run = [&](std::vector<std::wstring> elements) {
        SetDebugLineObserverForTesting(&EchoDebugLinesToStderr);
        ConsoleCapture console;
        std::vector<wchar_t*> argv;
        for (std::wstring& element : elements) {
            argv.push_back(element.data());
        }
        // The usage path exits from inside; the captured cout is checked before that happens
        // by comparing it in an exit handler.
        static std::string expected;
        static ConsoleCapture* active;
        expected = kExpectedBanner + kExpectedUsage;
        active = &console;
        std::atexit([] {
            std::fprintf(stderr, active->Out() == expected ? "[usage ok]" : "[usage wrong]");
        });
        wmain(static_cast<int>(argv.size()), argv.data());
    };
    EXPECT_EXIT(run({L"prog"}), testing::ExitedWithCode(1),
                "^\\[1\\]Too few arguments: 1\r\n\\[usage ok\\]$");
    EXPECT_EXIT(run({L"prog", L"-del"}), testing::ExitedWithCode(1),
                "^\\[1\\]Too few arguments: 2\r\n\\[usage ok\\]$");
    EXPECT_EXIT(run({}), testing::ExitedWithCode(1),
                "^\\[1\\]Too few arguments: 0\r\n\\[usage ok\\]$");
}

}  // namespace
