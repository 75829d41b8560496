#include "cli/entry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "output/debug_streams.h"
#include "support/console_capture.h"
#include "support/debug_capture.h"
#include "support/expected_output.h"
#include "support/scripted_system.h"

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

std::string EscapeForRegex(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

// In a death test's child, debug lines are echoed to stderr so that the parent can match them.
void EchoDebugLinesToStderr(int channel, const char* line) {
    std::fprintf(stderr, "[%d]%s", channel, line);
}

TEST(Entry, GuidOptionThatParsesIsReportedAsTyped) {
    ScriptedSystem system;
    EntryRun run = RunEntry({L"-guid:{9a5ea990-3034-4D6F-9128-01F3C61022BC", L"-DEL", L"y"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kExpectedBanner +
                           "GUID {9a5ea990-3034-4D6F-9128-01F3C61022BC obtained\n"
                           "y tasks removed.\ny removed.\ndone.\n");
    EXPECT_EQ(run.debug[0], (DebugLine{kDebugOut, "GUID: 9a5ea990-3034-4d6f-9128-01f3c61022bc"}));
    EXPECT_EQ(run.debug[1], (DebugLine{kDebugOut, "Command: -DEL"}));
}

TEST(Entry, GuidOptionThatDoesNotParseStillShiftsTheCommandWord) {
    for (const wchar_t* option : {L"-guid:", L"-guid:nonsense", L"-guid:{1-2-3}"}) {
        ScriptedSystem system;
        EntryRun run = RunEntry({option, L"-del", L"y"});
        EXPECT_EQ(run.out, kExpectedBanner + "done.\n");
        EXPECT_EQ(run.err,
                  "y not removed. Cannot retrieve information\n  reason: error 0x80070490\n");
        EXPECT_THAT(run.debug, testing::Contains(DebugLine{kDebugOut, "Command: -del"}));
        EXPECT_THAT(run.debug, testing::Contains(DebugLine{
                                   kDebugOut, "GUID: 00000000-0000-0000-0000-000000000000"}));
    }
}

TEST(EntryDeathTest, TooFewArgumentsOrUnknownCommandPrintUsageAndExitOne) {
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
    // Command words match whole words in any case; the option only in lower case.
    for (const std::string word : {"-x", "-add2", "add", "-delete", "del", "-install",
                                   "-GUID:{9A5EA990-3034-4D6F-9128-01F3C61022BC}"}) {
        const std::wstring wide(word.begin(), word.end());
        const std::string echoed = EscapeForRegex(word);
        EXPECT_EXIT(run({L"prog", wide, L"all", L"x.exe"}), testing::ExitedWithCode(1),
                    "^\\[0\\]GUID: 0{8}-0{4}-0{4}-0{4}-0{12}\r\n\\[0\\]Command: " + echoed +
                        "\r\n\\[1\\]Unknown command: " + echoed + "\r\n\\[usage ok\\]$");
    }
}

}  // namespace
