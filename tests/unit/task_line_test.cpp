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
    {"QuotedPathKeepsSeparator",
     L"Name;'C:\\a;b.exe';support",
     {L"Name", L"C:\\a;b.exe", L"support"}},
    {"QuotedArguments", L"Name;path;play;'-a;-b'", {L"Name", L"path", L"play", L"-a;-b"}},
    {"QuoteInsideFieldIsOrdinary", L"a'b;c'd", {L"a'b", L"c'd"}},
    {"DoubleQuotesBehaveAlike", L"\"C:\\x;y\";b;c", {L"C:\\x;y", L"b", L"c"}},
    {"OtherQuoteInsideQuotedField", L"a;\"it's\";c", {L"a", L"it's", L"c"}},
    {"TextAfterClosingQuoteBelongsToField", L"'a;b'c;d", {L"a;bc", L"d"}},
    {"UnclosedQuoteRunsToEndOfLine", L"Name;path;'support", {L"Name", L"path", L"support"}},
    {"UnclosedQuoteKeepsSeparators", L"Name;'a;b", {L"Name", L"a;b"}},
    {"TwoQuotesAloneAreOneEmptyField", L"''", {L""}},
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

TEST(FieldSplitter, CharacterInBothSetsQuotesOnlyAtFieldStart) {
    FieldSplitter splitter(L";", true, L";");
    const std::wstring text = L"a;b;c";
    splitter.Split(text.c_str(), text.size());
    EXPECT_EQ(splitter.fields, (Fields{L"a", L"b", L"c"}));
    const std::wstring leading = L";x;y";
    splitter.Split(leading.c_str(), leading.size());
    EXPECT_EQ(splitter.fields, (Fields{L"xy"}));
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
    {"EmptyKindIsPlay", L"a;b;;", true, {L"a", L"b", TaskKind::Play, L""}},
    {"EmptyNameStillParses", L";b;support", true, {L"", L"b", TaskKind::Support, L""}},
    {"SupportUpperCase", L"Name;path;SUPPORT", true, {L"Name", L"path", TaskKind::Support, L""}},
    {"SupportMixedCase", L"Name;path;Support", true, {L"Name", L"path", TaskKind::Support, L""}},
    {"BlankBeforeSupportIsPlay",
     L"Name;path; support",
     true,
     {L"Name", L"path", TaskKind::Play, L""}},
    {"FifthFieldIgnored", L"Name;path;play;-x;-y", true, {L"Name", L"path", TaskKind::Play, L"-x"}},
    {"ApostropheInFolder",
     L"Play;C:\\Games\\Baldur's Gate\\bg.exe;play",
     true,
     {L"Play", L"C:\\Games\\Baldur's Gate\\bg.exe", TaskKind::Play, L""}},
    {"ApostrophesInFolderAndFile",
     L"Manual;C:\\Games\\Baldur's Gate\\Baldur's Manual.pdf;support",
     true,
     {L"Manual", L"C:\\Games\\Baldur's Gate\\Baldur's Manual.pdf", TaskKind::Support, L""}},
    {"UnclosedQuotedKindIsSupport",
     L"Name;path;'support",
     true,
     {L"Name", L"path", TaskKind::Support, L""}},
    {"Example",
     L"Play;C:\\Games\\Demo\\demo.exe;play;-windowed",
     true,
     {L"Play", L"C:\\Games\\Demo\\demo.exe", TaskKind::Play, L"-windowed"}},
};

class ParseTaskLineTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTaskLineTest, YieldsTaskSpec) {
    const ParseCase& c = GetParam();
    std::optional<TaskSpec> task = ParseTaskLine(c.line);
    ASSERT_EQ(task.has_value(), c.parses);
    if (c.parses) {
        EXPECT_EQ(task->name, c.task.name);
        EXPECT_EQ(task->path, c.task.path);
        EXPECT_EQ(task->kind, c.task.kind);
        EXPECT_EQ(task->arguments, c.task.arguments);
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, ParseTaskLineTest, testing::ValuesIn(kParseCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
