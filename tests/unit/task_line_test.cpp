#include "cli/task_line.h"

#include <gtest/gtest.h>

#include "cli/field_splitter.h"

namespace {

using Fields = std::vector<std::wstring>;

struct SplitCase {
    const char* name;
    const wchar_t* line;
    Fields fields;
};

const SplitCase kSplitCases[] = {
    {"Empty", L"", {}},
    {"TwoFields", L"a;b", {L"a", L"b"}},
    {"TrailingSeparatorGivesNoEmptyField", L"a;b;", {L"a", L"b"}},
    {"TwoTrailingSeparatorsGiveOneEmptyField", L"a;b;;", {L"a", L"b", L""}},
    {"LeadingSeparatorGivesEmptyFirstField", L";b;support", {L"", L"b", L"support"}},
    {"QuotedSeparatorShiftsFields",
     L"Name;'C:\\a;b.exe';support",
     {L"Name", L"", L"C:\\a;b.exe", L"", L"support"}},
    {"QuotedArguments", L"Name;path;kind;'-a;-b'", {L"Name", L"path", L"kind", L"", L"-a;-b"}},
    {"QuotesInsideText", L"a'b;c'd", {L"a", L"b;c", L"d"}},
    {"DoubleQuotesBehaveAlike", L"a\"b;c\"d", {L"a", L"b;c", L"d"}},
    {"OtherQuoteInsideQuotedField", L"a;\"it's\";c", {L"a", L"", L"it's", L"", L"c"}},
    {"UnclosedQuoteDropsTheRest", L"Name;path;'support", {L"Name", L"path", L""}},
    {"TwoQuotesAlone", L"''", {L"", L""}},
    {"BlanksAreKept", L" Play ; x;play", {L" Play ", L" x", L"play"}},
};

class SplitTaskLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTaskLineTest, YieldsFields) {
    EXPECT_EQ(SplitTaskLine(GetParam().line), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(Lines, SplitTaskLineTest, testing::ValuesIn(kSplitCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(FieldSplitter, DropsEmptyStretchesUnlessQuotedWhenNotKeepingEmptyFields) {
    FieldSplitter splitter(L";,", false, L"'");
    const std::wstring text = L";a;;b,'',c;";
    splitter.Split(text.c_str(), text.size());
    EXPECT_EQ(splitter.fields, (Fields{L"a", L"b", L"", L"c"}));
}

TEST(FieldSplitter, CharacterInBothSetsActsAsQuote) {
    FieldSplitter splitter(L";", true, L";");
    const std::wstring text = L"a;b;c";
    splitter.Split(text.c_str(), text.size());
    EXPECT_EQ(splitter.fields, (Fields{L"a", L"b", L"c"}));
}

TEST(FieldSplitter, NullTextAndNewSplitReplaceEarlierFields) {
    FieldSplitter splitter(L";", true, L"");
    const std::wstring text = L"a;b";
    splitter.Split(text.c_str(), text.size());
    splitter.Split(nullptr, 0);
    EXPECT_TRUE(splitter.fields.empty());
}

struct ParseCase {
    const char* name;
    const wchar_t* line;
    bool parses;
    TaskSpec task;
};

const ParseCase kParseCases[] = {
    {"TooFewFields", L"a;b", false, {}},
    {"EmptyKindIsPlay", L"a;b;;", true, {L"a", L"b", false, L""}},
    {"EmptyNameStillParses", L";b;support", true, {L"", L"b", true, L""}},
    {"SupportUpperCase", L"Name;path;SUPPORT", true, {L"Name", L"path", true, L""}},
    {"SupportMixedCase", L"Name;path;Support", true, {L"Name", L"path", true, L""}},
    {"BlankBeforeSupportIsPlay", L"Name;path; support", true, {L"Name", L"path", false, L""}},
    {"FifthFieldIgnored", L"Name;path;play;-x;-y", true, {L"Name", L"path", false, L"-x"}},
    {"QuotedPathShiftsKind", L"Name;'C:\\a;b.exe';support", true, {L"Name", L"", false, L""}},
    {"Example",
     L"Play;C:\\Games\\Demo\\demo.exe;play;-windowed",
     true,
     {L"Play", L"C:\\Games\\Demo\\demo.exe", false, L"-windowed"}},
};

class ParseTaskLineTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTaskLineTest, YieldsTaskSpec) {
    const ParseCase& c = GetParam();
    std::optional<TaskSpec> task = ParseTaskLine(c.line);
    ASSERT_EQ(task.has_value(), c.parses);
    if (c.parses) {
        EXPECT_EQ(task->name, c.task.name);
        EXPECT_EQ(task->path, c.task.path);
        EXPECT_EQ(task->isSupport, c.task.isSupport);
        EXPECT_EQ(task->arguments, c.task.arguments);
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, ParseTaskLineTest, testing::ValuesIn(kParseCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
