#include "output/line_value_form.h"

#include <gtest/gtest.h>

#include <iostream>
#include <string>

#include "output/message_line.h"
#include "output/program_texts.h"
#include "support/console_capture.h"
#include "support/debug_capture.h"

namespace {

struct EscapeCase {
    std::wstring value;
    std::string console;  // as a console line shows it, in UTF-8
};

// No value can start a line or send a control sequence: C0 and DEL are escaped, the rest is kept.
const EscapeCase kEscapeCases[] = {
    {L"C:\\G\\a.exe\r\n{9999} all", "C:\\G\\a.exe\\r\\n{9999} all"},
    {L"\x1b[2J\x1b]0;title\x07", "\\x1B[2J\\x1B]0;title\\x07"},
    {L"tab\there\x0b\x0c", "tab\\x09here\\x0B\\x0C"},
    {std::wstring(L"a\0b\x1f", 4), "a\\x00b\\x1F"},
    {L"del\x7f", "del\\x7F"},
    // Not C0 or DEL: printable ASCII, a backslash and x as they are, NEL and NBSP as characters.
    {L" ~\\x1B\u0085\u00a0\u03a9", " ~\\x1B\xc2\x85\xc2\xa0\xce\xa9"},
};

TEST(LineValueForm, ConsoleValuesHaveTheirControlCharactersEscaped) {
    for (const EscapeCase& c : kEscapeCases) {
        EXPECT_EQ(LineValue(c.value, {CP_UTF8, true}), c.console)
            << testing::PrintToString(c.value);
    }
}

// Only the values are escaped, never the program's own texts; the diagnostic copy keeps its own
// form, where a line break ends the line.
TEST(LineValueForm, ConsoleLinesEscapeTheirValuesOnlyAndTheDiagnosticCopyKeepsItsForm) {
    DebugCapture debug;
    ConsoleCapture console;
    WriteLineWithCopy(std::cout, DebugOut(), kUsageTexts[1], L"\tx\n", kDoneText);
    EXPECT_EQ(console.Out(), std::string(kUsageTexts[1]) + "\\x09x\\n" + kDoneText + "\n");
    EXPECT_EQ(debug.Channel(kDebugOut),
              (std::vector<std::string>{std::string(kUsageTexts[1]) + "\tx", kDoneText}));
}

}  // namespace
