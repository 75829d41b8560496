#include "text/case_folding.h"

#include <gtest/gtest.h>

#include "emulated/files/drive_mapping.h"
#include "emulated/registry/registry_tree.h"
#include "emulated_test_support.h"
#include "text/host_text.h"

namespace {

struct LetterPair {
    const char* name;
    std::wstring lower;
    std::wstring upper;
    bool oneLetter;  // Windows' upper-case table makes them one letter
};

const LetterPair kLetterPairs[] = {
    {"AsciiLetters", L"a", L"A", true},
    {"AsciiPunctuation32Apart", L"`", L"@", false},
    {"Latin1Letters", L"\u00e9", L"\u00c9", true},
    {"Latin1DivisionAndMultiplicationSigns", L"\u00f7", L"\u00d7", false},
    {"MicroSignAndCapitalMu", L"\u00b5", L"\u039c", false},
    {"CyrillicLetters", L"\u0450", L"\u0400", true},
    {"DzDigraphs", L"\u01c6", L"\u01c4", true},
    {"TitleCaseDzAndCapitalDz", L"\u01c5", L"\u01c4", false},
    {"YWithDiaeresis", L"\u00ff", L"\u0178", true},
    {"FullwidthLetters", L"\uff41", L"\uff21", true},
    {"ArmenianLetters", L"\u0561", L"\u0531", true},
    {"ARingBelow", L"\u1e01", L"\u1e00", true},
    {"DotlessIAndCapitalI", L"\u0131", L"I", false},
    {"LongSAndCapitalS", L"\u017f", L"S", false},
    {"FinalSigmaAndCapitalSigma", L"\u03c2", L"\u03a3", false},
    {"SharpSAndCapitalSharpS", L"\u00df", L"\u1e9e", false},
    {"DeseretLettersBeyondTheBmp", L"\U00010428", L"\U00010400", false},
};

std::wstring Uppercased(const std::wstring& text) {
    std::wstring mapped(text.size(), L'\0');
    const int length = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.c_str(),
                                     static_cast<int>(text.size()), mapped.data(),
                                     static_cast<int>(mapped.size()), nullptr, nullptr, 0);
    EXPECT_EQ(length, static_cast<int>(text.size()));
    return mapped;
}

class CaseFoldingTest : public testing::TestWithParam<LetterPair> {};

// File names, registry key names, CompareStringOrdinal and LCMapStringEx agree on every pair.
TEST_P(CaseFoldingTest, EveryNameComparisonOfTheSystemTellsTheSameLetters) {
    const LetterPair& pair = GetParam();
    const std::wstring lower = L"x" + pair.lower;
    const std::wstring upper = L"X" + pair.upper;
    EXPECT_EQ(CompareStringOrdinal(lower.c_str(), -1, upper.c_str(), -1, TRUE) == CSTR_EQUAL,
              pair.oneLetter);
    EXPECT_EQ(Uppercased(lower) == Uppercased(upper), pair.oneLetter);
    EXPECT_EQ(Uppercased(upper), upper);

    TemporaryFolder system;
    const DriveMapping drives{system.Path()};
    std::filesystem::create_directories(system.Path() / "drive_c" / WideToHost(lower));
    EXPECT_EQ(drives.ToHost(L"C:\\" + upper).exists, pair.oneLetter);

    RegistryNode root;
    bool created = false;
    root.Create(lower, created);
    EXPECT_EQ(root.Find(upper) != nullptr, pair.oneLetter);
}

INSTANTIATE_TEST_SUITE_P(Pairs, CaseFoldingTest, testing::ValuesIn(kLetterPairs),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
