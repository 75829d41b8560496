#include "cli/command_line_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SplitCase {
    const char* name;
    const wchar_t* text;
    std::vector<std::wstring> arguments;
};

// Each case as the program's own runtime splits its command line after the program's name (the
// MinGW-w64 build on msvcrt, measured under Wine).
const SplitCase kSplitCases[] = {
    {"Nothing", L"", {}},
    {"BlanksOnly", L" \t ", {}},
    {"BlanksAndTabsSeparate", L" a  b\tc\t", {L"a", L"b", L"c"}},
    {"LineBreakIsNoSeparator", L"a\nb", {L"a\nb"}},
    {"QuotedBlanksStay", L"\"a b\" c", {L"a b", L"c"}},
    {"QuotedPartInsideAnArgument", L"a\"b c\"d", {L"ab cd"}},
    {"EmptyQuotesAreAnArgument", L"x \"\" \"\"", {L"x", L"", L""}},
    {"LoneQuoteIsAnEmptyArgument", L"\"", {L""}},
    {"UnclosedQuoteRunsToTheEnd", L"\"a b\tc", {L"a b\tc"}},
    {"TwoQuotesInsideQuotesAreOneAndStayQuoted", L"\"a \"\"b\"\" c\" d", {L"a \"b\" c", L"d"}},
    {"TwoQuotesOutsideQuotesAreNothing", L"a\"\"b", {L"ab"}},
    {"ThreeQuotesOutsideQuotesAreOne", L"a\"\"\"b c", {L"a\"b c"}},
    {"FiveQuotesInsideQuotesCloseAfterTwo", L"\"a\"\"\"\"\"b\"", {L"a\"\"b"}},
    {"BackslashesAloneAreLiteral", L"a\\b c\\\\d", {L"a\\b", L"c\\\\d"}},
    {"TrailingBackslashes", L"x\\ y\\\\", {L"x\\", L"y\\\\"}},
    {"BackslashQuoteIsAQuote", L"a\\\"b", {L"a\"b"}},
    {"EvenBackslashesBeforeAQuoteHalveAndTheQuoteCounts", L"a\\\\\"b c\"", {L"a\\b c"}},
    {"OddBackslashesBeforeAQuoteHalveAndTheQuoteIsLiteral", L"a\\\\\\\"b", {L"a\\\"b"}},
    {"FolderEndingInBackslashBeforeClosingQuote", L"\"c:\\dir\\\" next", {L"c:\\dir\" next"}},
    {"FolderEndingInDoubledBackslash", L"\"c:\\dir\\\\\" next", {L"c:\\dir\\", L"next"}},
    {"TaskLineWithEveryRule",
     L"-add all \"Play;g;play;-name \"\"a b\"\" -x \\\\\"q\\\\\" c:\\\\dir\\\\ end\"",
     {L"-add", L"all", L"Play;g;play;-name \"a b\" -x \\q\\ c:\\\\dir\\\\ end"}},
};

class SplitCommandLineArgumentsTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineArgumentsTest, GivesTheArgumentsTheRuntimeGives) {
    EXPECT_EQ(SplitCommandLineArguments(GetParam().text), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitCommandLineArgumentsTest, testing::ValuesIn(kSplitCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
