#include "registration/format_wide.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr wchar_t kUntouched = L'#';

TEST(FormatWide, CapacityZeroIsInvalidAndLeavesDestinationAlone) {
    wchar_t buffer[4] = {kUntouched, kUntouched, kUntouched, kUntouched};
    EXPECT_EQ(FormatWide(buffer, 0, L"abc"), E_INVALIDARG);
    EXPECT_EQ(buffer[0], kUntouched);
}

TEST(FormatWide, CapacityAboveLargestIsInvalidBeforeAnythingElse) {
    wchar_t buffer[4] = {kUntouched, kUntouched, kUntouched, kUntouched};
    EXPECT_EQ(FormatWide(buffer, kFormatWideMaxCapacity + 1, L"abc"), E_INVALIDARG);
    EXPECT_EQ(buffer[0], kUntouched);
}

struct FitCase {
    const char* name;
    std::size_t capacity;
    const wchar_t* format;
    HRESULT result;
    const wchar_t* text;
};

const FitCase kFitCases[] = {
    {"EmptyTextInCapacityOne", 1, L"", S_OK, L""},
    {"OneCharacterInCapacityOne", 1, L"x", kFormatWideTruncated, L""},
    {"ExactlyCapacityMinusOne", 4, L"abc", S_OK, L"abc"},
    {"ExactlyCapacity", 4, L"abcd", kFormatWideTruncated, L"abc"},
    {"PercentPercent", 8, L"100%%", S_OK, L"100%"},
    {"UnsupportedDirective", 16, L"ab%xcd", kFormatWideTruncated, L"ab"},
    {"LonePercentAtEnd", 16, L"ab%", kFormatWideTruncated, L"ab"},
    {"WidthIsNotSupported", 16, L"a%5d", kFormatWideTruncated, L"a"},
};

class FormatWideFitTest : public testing::TestWithParam<FitCase> {};

TEST_P(FormatWideFitTest, ReportsWhetherTheTextFitted) {
    const FitCase& c = GetParam();
    std::wstring buffer(c.capacity + 2, kUntouched);
    EXPECT_EQ(FormatWide(buffer.data(), c.capacity, c.format), c.result);
    EXPECT_EQ(std::wstring(buffer.c_str()), c.text);
    // Nothing is written past the capacity.
    EXPECT_EQ(buffer[c.capacity], kUntouched);
    EXPECT_EQ(buffer[c.capacity + 1], kUntouched);
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatWideFitTest, testing::ValuesIn(kFitCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(FormatWide, InsertsWideStringsAndSignedIntegers) {
    wchar_t buffer[512];
    EXPECT_EQ(FormatWide(buffer, 512, L"%s\\Microsoft\\Windows\\GameExplorer\\%s\\%s\\%d",
                         L"C:\\ProgramData", L"{GUID}", L"PlayTasks", 12),
              S_OK);
    EXPECT_STREQ(buffer,
                 L"C:\\ProgramData\\Microsoft\\Windows\\GameExplorer\\{GUID}\\PlayTasks\\12");
    EXPECT_EQ(FormatWide(buffer, 512, L"%d|%d|%d", -1, 0, static_cast<int>(0x80000000)), S_OK);
    EXPECT_STREQ(buffer, L"-1|0|-2147483648");
}

TEST(FormatWide, TruncatedTextIsAPrefixOfTheFullText) {
    const std::wstring full = L"SELECT * FROM GAME WHERE GDFBinaryPath = \"C:\\\\a\\\\b.exe\"";
    for (std::size_t capacity = 1; capacity <= full.size() + 1; ++capacity) {
        std::wstring buffer(capacity, kUntouched);
        HRESULT result =
            FormatWide(buffer.data(), capacity, L"SELECT * FROM GAME WHERE GDFBinaryPath = \"%s\"",
                       L"C:\\\\a\\\\b.exe");
        EXPECT_EQ(result, capacity > full.size() ? S_OK : kFormatWideTruncated) << capacity;
        EXPECT_EQ(std::wstring(buffer.c_str()), full.substr(0, capacity - 1)) << capacity;
    }
}

}  // namespace
