#include "emulated/files/windows_path.h"

#include <gtest/gtest.h>

namespace {

struct FullPathCase {
    const char* name;
    const wchar_t* path;
    const wchar_t* full;  // nullptr: no full path
    int lastNameOffset;   // -1: none
};

constexpr const wchar_t* kCurrent = L"Z:\\home\\me";

const FullPathCase kFullPathCases[] = {
    {"AbsoluteKeptAsIs", L"C:\\Games\\Demo\\demo.exe", L"C:\\Games\\Demo\\demo.exe", 14},
    {"RelativeJoinsCurrentFolder", L"bin\\demo.exe", L"Z:\\home\\me\\bin\\demo.exe", 15},
    {"ForwardSlashesBecomeBackslashes", L"C:/Games/demo.exe", L"C:\\Games\\demo.exe", 9},
    {"DotAndDotDotResolve", L"C:\\a\\.\\b\\..\\c", L"C:\\a\\c", 5},
    {"DotDotStopsAtRoot", L"C:\\..\\..\\x", L"C:\\x", 3},
    {"DotDotFromCurrentFolder", L"..\\other", L"Z:\\home\\other", 8},
    {"RootedTakesCurrentDrive", L"\\tmp\\x", L"Z:\\tmp\\x", 7},
    {"DriveRelativeOnCurrentDrive", L"z:file", L"z:\\home\\me\\file", 11},
    {"DriveRelativeOnOtherDriveStartsAtRoot", L"D:file", L"D:\\file", 3},
    {"TrailingSeparatorKeptWithoutFilePart", L"C:\\Games\\Demo\\", L"C:\\Games\\Demo\\", -1},
    {"DriveRootHasNoFilePart", L"C:\\", L"C:\\", -1},
    {"RepeatedSeparatorsCollapse", L"C:\\\\a//b", L"C:\\a\\b", 5},
    {"LastNameLosesTrailingDotsAndBlanks", L"C:\\a\\b.. . ", L"C:\\a\\b", 5},
    {"FolderKeepsTrailingBlanks", L"C:\\game \\demo.exe", L"C:\\game \\demo.exe", 9},
    {"FolderLosesOneTrailingDot", L"C:\\a..\\b.\\c. ", L"C:\\a.\\b\\c", 8},
    {"NameEndingInSeparatorKeepsBlanks", L"C:\\game \\", L"C:\\game \\", -1},
    {"LastNameOfDotsAndBlanksLeavesTheFolder", L"C:\\a\\. .", L"C:\\a\\", -1},
    {"VerbatimPathKeptAsWritten", L"\\\\?\\C:\\a\\..\\b. ", L"\\\\?\\C:\\a\\..\\b. ", 12},
    {"DevicePathMadeFullBelowItsDrive", L"\\\\.\\C:\\a\\..\\..\\b/c.", L"\\\\.\\C:\\b\\c", 9},
    {"UncRootKept", L"\\\\server\\share\\x\\..\\y", L"\\\\server\\share\\y", 15},
    {"EmptyPathHasNoFullForm", L"", nullptr, -1},
};

class FullWindowsPathTest : public testing::TestWithParam<FullPathCase> {};

TEST_P(FullWindowsPathTest, MakesTheFullFormAndFindsTheFilePart) {
    const FullPathCase& c = GetParam();
    std::optional<WindowsPath> full = FullWindowsPath(c.path, kCurrent);
    if (c.full == nullptr) {
        EXPECT_FALSE(full.has_value());
        return;
    }
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(full->Text(), c.full);
    std::optional<std::size_t> offset = full->LastNameOffset();
    EXPECT_EQ(offset ? static_cast<int>(*offset) : -1, c.lastNameOffset);
}

INSTANTIATE_TEST_SUITE_P(Paths, FullWindowsPathTest, testing::ValuesIn(kFullPathCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(FullWindowsPathTest, CurrentFolderAtDriveRootJoinsWithoutDoubleSeparator) {
    EXPECT_EQ(FullWindowsPath(L"demo.exe", L"Z:\\")->Text(), L"Z:\\demo.exe");
}

TEST(SameWindowsPathTest, IgnoresCaseAndSeparatorKindButNothingElse) {
    EXPECT_TRUE(SameWindowsPath(L"C:\\Games\\Demo.EXE", L"c:/games/demo.exe"));
    EXPECT_TRUE(SameWindowsPath(L"C:\\Spiele\\Über.exe", L"c:\\spiele\\über.exe"));
    EXPECT_FALSE(SameWindowsPath(L"C:\\Games\\demo.exe", L"C:\\Games\\demo.ex"));
    EXPECT_FALSE(SameWindowsPath(L"C:\\Games\\demo.exe", L"C:\\Gamez\\demo.exe"));
    EXPECT_FALSE(SameWindowsPath(L"C:\\a", L"C:-a"));
}

}  // namespace
