#include "emulated/files/drive_mapping.h"

#include <gtest/gtest.h>

#include "emulated/base/win32_codes.h"
#include "emulated/files/host_names.h"
#include "emulated_test_support.h"
#include "text/case_folding.h"

namespace {

class DriveMappingTest : public testing::Test {
  protected:
    TemporaryFolder system_;
    DriveMapping drives_{system_.Path()};
};

TEST_F(DriveMappingTest, DriveCIsTheSystemsDriveCFolder) {
    DriveMapping::HostPath host = drives_.ToHost(L"C:\\ProgramData\\x.lnk");
    EXPECT_EQ(host.error, ERROR_SUCCESS);
    EXPECT_EQ(host.path, system_.Path() / "drive_c" / "ProgramData" / "x.lnk");
}

TEST_F(DriveMappingTest, DriveZIsTheHostRoot) {
    DriveMapping::HostPath host = drives_.ToHost(L"z:\\usr\\bin");
    EXPECT_EQ(host.error, ERROR_SUCCESS);
    EXPECT_EQ(host.path, std::filesystem::path("/usr/bin"));
}

TEST_F(DriveMappingTest, NamesMatchExistingEntriesWithoutRegardToCase) {
    std::filesystem::create_directories(system_.Path() / "drive_c" / "ProgramData" / "Microsoft");
    DriveMapping::HostPath host = drives_.ToHost(L"C:\\PROGRAMDATA\\microsoft\\NewFolder");
    EXPECT_EQ(host.path, system_.Path() / "drive_c" / "ProgramData" / "Microsoft" / "NewFolder");
}

TEST_F(DriveMappingTest, NamesOfDigitsAndLettersMatchWithoutRegardToCase) {
    std::filesystem::create_directories(system_.Path() / "drive_c" / "0" / "Task 1A");
    DriveMapping::HostPath host = drives_.ToHost(L"C:\\0\\task 1a");
    EXPECT_EQ(host.path, system_.Path() / "drive_c" / "0" / "Task 1A");
}

TEST_F(DriveMappingTest, ShortNamesFindTheEntriesTheyStandFor) {
    std::filesystem::create_directories(system_.Path() / "drive_c" / "Games" / "Long Folder Two");
    std::filesystem::create_directories(system_.Path() / "drive_c" / "Games" / "Long Folder");
    WriteBytes(system_.Path() / "drive_c" / "Games" / "Long Folder" / "demo.exe", "x");
    const DriveMapping::HostPath first = drives_.ToHost(L"C:\\games\\longfo~1\\DEMO.EXE");
    EXPECT_TRUE(first.exists);
    EXPECT_EQ(first.path, system_.Path() / "drive_c" / "Games" / "Long Folder" / "demo.exe");
    const DriveMapping::HostPath second = drives_.ToHost(L"C:\\Games\\LONGFO~2");
    EXPECT_EQ(second.name, L"Long Folder Two");
    EXPECT_FALSE(drives_.ToHost(L"C:\\Games\\LONGFO~3").exists);
    std::filesystem::create_directories(system_.Path() / "drive_c" / "Games" / "1234567890");
    EXPECT_EQ(drives_.ToHost(L"C:\\Games\\123456~1").name, L"1234567890");
}

TEST_F(DriveMappingTest, VerbatimPathsNameWhatTheySay) {
    std::filesystem::create_directories(system_.Path() / "drive_c" / "game ");
    WriteBytes(system_.Path() / "drive_c" / "game " / "demo.exe", "x");
    EXPECT_TRUE(drives_.ToHost(L"\\\\?\\C:\\game \\demo.exe").exists);
    EXPECT_TRUE(drives_.ToHost(L"\\\\.\\c:\\game \\demo.exe").exists);
    EXPECT_EQ(drives_.ToHost(L"\\\\?\\C:\\x\\..\\game \\demo.exe").error, ERROR_INVALID_NAME);
    EXPECT_EQ(drives_.ToHost(L"\\\\?\\C:\\game \\\\demo.exe").error, ERROR_INVALID_NAME);
}

// Windows holds 255 UTF-16 units in a name, which can be 765 bytes of UTF-8.
TEST_F(DriveMappingTest, EveryNameOfUpTo255UnitsIsHeldUnderOneHostNameForEveryCase) {
    std::filesystem::create_directories(system_.Path() / "drive_c" / "Tasks");
    for (wchar_t letter : {L'\u00e9', L'\u65e5', L'a'}) {
        const std::wstring name(kMaxWindowsNameLength, letter);
        const DriveMapping::HostPath host = drives_.ToHost(L"C:\\Tasks\\" + name);
        ASSERT_EQ(host.error, ERROR_SUCCESS);
        EXPECT_FALSE(host.exists);
        EXPECT_LE(host.path.filename().string().size(), kMaxHostNameBytes - 32);
        WriteBytes(host.path, "x");
        const std::wstring otherCase(kMaxWindowsNameLength, FoldCase(letter));
        const DriveMapping::HostPath again = drives_.ToHost(L"C:\\TASKS\\" + otherCase);
        EXPECT_TRUE(again.exists);
        EXPECT_EQ(again.path, host.path);
        EXPECT_FALSE(drives_.ToHost(L"C:\\Tasks\\" + name.substr(1)).exists);
    }
    EXPECT_EQ(drives_.ToHost(L"C:\\Tasks\\" + std::wstring(kMaxWindowsNameLength + 1, L'a')).error,
              ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(DriveMappingTest, OtherDrivesAndNetworkPathsDoNotExist) {
    EXPECT_EQ(drives_.ToHost(L"D:\\Games").error, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(drives_.ToHost(L"\\\\server\\share\\x").error, ERROR_PATH_NOT_FOUND);
}

TEST_F(DriveMappingTest, NamesWithCharactersWindowsForbidsAreInvalid) {
    for (const wchar_t* path :
         {L"C:\\a<b", L"C:\\what?.lnk", L"C:\\x\\a|b", L"C:\\a\"b", L"C:\\a*", L"C:\\tab\there"}) {
        EXPECT_EQ(drives_.ToHost(path).error, ERROR_INVALID_NAME) << static_cast<int>(path[3]);
    }
}

TEST_F(DriveMappingTest, RelativePathsResolveAgainstTheHostCurrentFolderOnDriveZ) {
    TemporaryFolder work;
    CurrentFolderScope scope(work.Path());
    std::optional<std::wstring> current = DriveMapping::CurrentFolder();
    ASSERT_TRUE(current.has_value());
    std::wstring expected = L"Z:" + std::filesystem::canonical(work.Path()).wstring();
    for (wchar_t& c : expected) {
        c = c == L'/' ? L'\\' : c;
    }
    EXPECT_EQ(*current, expected);
    EXPECT_EQ(drives_.ToHost(L"sub\\file.txt").path,
              std::filesystem::canonical(work.Path()) / "sub" / "file.txt");
}

TEST(DriveMappingWithoutSystemTest, DriveCDoesNotExist) {
    DriveMapping drives{std::filesystem::path()};
    EXPECT_EQ(drives.ToHost(L"C:\\ProgramData").error, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(drives.ToHost(L"Z:\\tmp").error, ERROR_SUCCESS);
}

}  // namespace
