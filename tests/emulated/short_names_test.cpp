#include "emulated/files/short_names.h"

#include <gtest/gtest.h>

namespace {

struct ShortNamesCase {
    const char* name;
    std::vector<std::wstring> names;
    std::vector<std::wstring> shortNames;
};

const ShortNamesCase kShortNamesCases[] = {
    {"EightDotThreeNamesKeepThemselves",
     {L"demo.exe", L"README", L"A-1_(2).{}"},
     {L"demo.exe", L"README", L"A-1_(2).{}"}},
    {"LongNamesNumberedInTheOrderOfTheNames",
     {L"Long Folder Two", L"Long Folder", L"Longest Road"},
     {L"LONGFO~2", L"LONGFO~1", L"LONGES~1"}},
    {"NumberTakenByAnEightDotThreeNameIsSkipped",
     {L"Long Folder", L"longfo~1"},
     {L"LONGFO~2", L"longfo~1"}},
    {"BlanksAndInnerDotsGoTheLastDotStartsTheExtension",
     {L"my game.tar.gz", L"a b.html", L".config"},
     {L"MYGAME~1.GZ", L"AB~1.HTM", L"CONFIG~1"}},
    {"RefusedCharactersBecomeUnderscores",
     {L"a+b=c;d[1].txt", L"\u00dcber Spiel"},
     {L"A_B_C_~1.TXT", L"_BERSP~1"}},
    {"TenthNameShortensTheStem",
     {L"Saved Game 1", L"Saved Game 2", L"Saved Game 3", L"Saved Game 4", L"Saved Game 5",
      L"Saved Game 6", L"Saved Game 7", L"Saved Game 8", L"Saved Game 9", L"Saved Game 10"},
     {L"SAVEDG~1", L"SAVEDG~3", L"SAVEDG~4", L"SAVEDG~5", L"SAVEDG~6", L"SAVEDG~7", L"SAVEDG~8",
      L"SAVEDG~9", L"SAVED~10", L"SAVEDG~2"}},
};

class ShortNamesTest : public testing::TestWithParam<ShortNamesCase> {};

TEST_P(ShortNamesTest, EachNameGetsWindowsShortName) {
    EXPECT_EQ(ShortNamesOf(GetParam().names), GetParam().shortNames);
}

INSTANTIATE_TEST_SUITE_P(Folders, ShortNamesTest, testing::ValuesIn(kShortNamesCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
