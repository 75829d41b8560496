#include "emulated/wmi/wql_game_query.h"

#include <gtest/gtest.h>

namespace {

struct QueryCase {
    const char* name;
    const wchar_t* query;
    const wchar_t* path;  // nullptr: not a game query
};

const QueryCase kQueries[] = {
    {"TheProgramsQuery", L"SELECT * FROM GAME WHERE GDFBinaryPath = \"C:\\\\Games\\\\demo.exe\"",
     L"C:\\Games\\demo.exe"},
    {"KeywordsInAnyCase", L"select * from Game where gdfbinarypath = \"x\"", L"x"},
    {"OtherBlanks", L"  SELECT\t*  FROM GAME WHERE GDFBinaryPath=\"x\"  ", L"x"},
    {"EscapedQuote", L"SELECT * FROM GAME WHERE GDFBinaryPath = \"a\\\"b\"", L"a\"b"},
    {"EmptyPath", L"SELECT * FROM GAME WHERE GDFBinaryPath = \"\"", L""},
    {"SingleBackslashEscapesNothing", L"SELECT * FROM GAME WHERE GDFBinaryPath = \"C:\\Games\"",
     nullptr},
    {"NoClosingQuote", L"SELECT * FROM GAME WHERE GDFBinaryPath = \"C:\\\\Games", nullptr},
    {"UnescapedQuoteInside", L"SELECT * FROM GAME WHERE GDFBinaryPath = \"a\"b\"", nullptr},
    {"SingleQuotes", L"SELECT * FROM GAME WHERE GDFBinaryPath = 'x'", nullptr},
    {"OtherClass", L"SELECT * FROM Win32_Process WHERE GDFBinaryPath = \"x\"", nullptr},
    {"OtherProperty", L"SELECT * FROM GAME WHERE InstanceID = \"x\"", nullptr},
    {"SelectedProperty", L"SELECT InstanceID FROM GAME WHERE GDFBinaryPath = \"x\"", nullptr},
    {"NoCondition", L"SELECT * FROM GAME", nullptr},
    {"MoreConditions", L"SELECT * FROM GAME WHERE GDFBinaryPath = \"x\" AND A = \"y\"", nullptr},
    {"LikeInsteadOfEquals", L"SELECT * FROM GAME WHERE GDFBinaryPath LIKE \"x\"", nullptr},
    {"GluedWords", L"SELECT *FROM GAME WHERE GDFBinaryPath = \"x\"", nullptr},
    {"Empty", L"", nullptr},
};

class WqlGameQueryTest : public testing::TestWithParam<QueryCase> {};

TEST_P(WqlGameQueryTest, AcceptsOnlyTheGameQueryAndUndoesItsEscapes) {
    std::optional<std::wstring> path = ParseGameQuery(GetParam().query);
    if (GetParam().path == nullptr) {
        EXPECT_FALSE(path.has_value());
    } else {
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(*path, GetParam().path);
    }
}

INSTANTIATE_TEST_SUITE_P(Queries, WqlGameQueryTest, testing::ValuesIn(kQueries),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
