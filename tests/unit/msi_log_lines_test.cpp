#include "cli/msi_log_lines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "cli/collected_console_lines.h"
#include "cli/entry.h"
#include "output/message_line.h"
#include "output/program_texts.h"
#include "support/console_capture.h"
#include "support/faulting_system.h"

namespace {

using LogLines = std::vector<std::string>;

std::string Logged(const std::string& line) {
    return std::string(kMsiLogLinePrefix) + line;
}

// The MSI log lines of what run prints, collected as the custom action collects them.
LogLines LogLinesOf(const std::function<void()>& run, bool formattedAgain = false) {
    LogLines log;
    CollectedConsoleLines lines(CP_UTF8, [&](const std::string& line) {
        if (const std::optional<std::string> logLine = MsiLogLineFor(line, formattedAgain)) {
            log.push_back(*logLine);
        }
    });
    run();
    lines.Finish();
    return log;
}

TEST(MsiLogLines, UsageGivesOneLogLinePerTextAndNoEmptyLine) {
    FaultingSystem system;
    const LogLines log = LogLinesOf([] { RunCommandLine({L"Brackenfold.exe"}, true); });
    EXPECT_EQ(log.size(), std::size(kUsageTexts));
    EXPECT_THAT(log, testing::Each(testing::StartsWith(Logged(""))));
    EXPECT_THAT(log, testing::Not(testing::Contains(Logged(""))));
    EXPECT_EQ(log.front(), Logged(kUsageTexts[0]));
}

TEST(MsiLogLines, ValueWithControlCharactersStaysOneLineInUtf8AndBracketsAreEscapedWhenAsked) {
    const auto run = [] {
        WriteLine(std::cerr,
                  L"C:\\G [1]\\\u03a9\r\n\x1b"
                  L"b.exe",
                  " not added.");
        WriteLine(std::cout, "line\r\n", "done.");
        std::cout << "last without line break";
    };
    EXPECT_EQ(LogLinesOf(run),
              (LogLines{Logged("C:\\G [1]\\\xce\xa9\\r\\n\\x1Bb.exe not added."), Logged("line"),
                        Logged("done."), Logged("last without line break")}));
    EXPECT_EQ(LogLinesOf(run, true).front(),
              Logged("C:\\G [\\[]1[\\]]\\\xce\xa9\\r\\n\\x1Bb.exe not added."));
    EXPECT_EQ(MsiLogLineFor("{x}", true), Logged("[\\{]x[\\}]"));
}

TEST(CollectedConsoleLines, GivesTheStreamsTheirBuffersStatesAndConsoleCodePageBack) {
    ConsoleCapture console;
    std::cerr.setstate(std::ios_base::eofbit);
    LogLinesOf([] { std::cout.setstate(std::ios_base::failbit); });
    EXPECT_TRUE(std::cout.good());
    EXPECT_EQ(std::cerr.rdstate(), std::ios_base::eofbit);
    std::cerr.clear();
    EXPECT_EQ(LineValueFormOf(std::cout).codePage, static_cast<UINT>(CP_THREAD_ACP));
    WriteLine(std::cout, L"a\nb");
    EXPECT_EQ(console.Out(), "a\\nb\n");
}

}  // namespace
