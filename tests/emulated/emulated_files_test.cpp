#include "emulated/files/emulated_files.h"

#include <gtest/gtest.h>

#include "emulated/base/win32_codes.h"
#include "emulated_test_support.h"

namespace {

class EmulatedFilesTest : public testing::Test {
  protected:
    std::filesystem::path DriveC() const { return system_.Path() / "drive_c"; }

    TemporaryFolder system_;
    DriveMapping drives_{system_.Path()};
    EmulatedFiles files_{drives_};
};

TEST_F(EmulatedFilesTest, CreateFolderMakesEveryMissingParentThenReportsItExists) {
    EXPECT_EQ(files_.CreateFolder(L"C:\\ProgramData\\Microsoft\\Windows\\GameExplorer\\{G}\\0"),
              ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::is_directory(DriveC() /
                                              "ProgramData/Microsoft/Windows/GameExplorer/{G}/0"));
    EXPECT_EQ(files_.CreateFolder(L"c:\\programdata\\MICROSOFT"), ERROR_ALREADY_EXISTS);
}

TEST_F(EmulatedFilesTest, CreateFolderRefusesRelativeTooLongAndUnmappedPaths) {
    EXPECT_EQ(files_.CreateFolder(L"relative\\folder"), ERROR_BAD_PATHNAME);
    EXPECT_EQ(files_.CreateFolder((L"C:\\" + std::wstring(250, L'x')).c_str()),
              ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(files_.CreateFolder(L"Q:\\folder"), ERROR_PATH_NOT_FOUND);
}

TEST_F(EmulatedFilesTest, AttributesTellFoldersFromFilesAndMissingOnes) {
    std::filesystem::create_directories(DriveC() / "Dir");
    WriteBytes(DriveC() / "Dir/file.txt", "x");
    EXPECT_EQ(files_.Attributes(L"C:\\dir"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(files_.Attributes(L"C:\\Dir\\FILE.TXT") & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_NE(files_.Attributes(L"C:\\Dir\\FILE.TXT"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files_.Attributes(L"C:\\Dir\\none"), INVALID_FILE_ATTRIBUTES);
}

// Drive C: with a file, a folder holding one, an empty folder, and links to a folder and a file
// outside the drive.
class RemovalTest : public EmulatedFilesTest {
  protected:
    RemovalTest() {
        std::filesystem::create_directories(DriveC() / "Full");
        std::filesystem::create_directories(DriveC() / "Empty");
        std::filesystem::create_directories(Outside());
        WriteBytes(DriveC() / "Full/file.txt", "x");
        WriteBytes(Outside() / "keep.txt", "x");
        std::filesystem::create_directory_symlink(Outside(), DriveC() / "FolderLink");
        std::filesystem::create_symlink(Outside() / "keep.txt", DriveC() / "FileLink");
        std::filesystem::create_symlink(Outside() / "none", DriveC() / "Dangling");
    }
    std::filesystem::path Outside() const { return system_.Path() / "outside"; }
};

// A link is a reparse point, as Windows and Wine report one: its own attributes, with
// FILE_ATTRIBUTE_DIRECTORY when it leads to a folder; a path through it finds what it leads to.
TEST_F(RemovalTest, AttributesOfALinkAreItsOwn) {
    EXPECT_EQ(files_.Attributes(L"C:\\folderlink"),
              FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(files_.Attributes(L"C:\\FileLink"),
              FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(files_.Attributes(L"C:\\Dangling"),
              FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(files_.Attributes(L"C:\\FolderLink\\keep.txt"), FILE_ATTRIBUTE_ARCHIVE);
}

struct RemovalCase {
    const char* name;
    bool folder;  // RemoveDirectoryW, else DeleteFileW
    const wchar_t* path;
    DWORD error;                 // ERROR_SUCCESS: removed
    const char* gone = nullptr;  // below drive C:, when removed
};

const RemovalCase kRemovalCases[] = {
    {"FileDeleted", false, L"C:\\full\\FILE.TXT", ERROR_SUCCESS, "Full/file.txt"},
    {"MissingFile", false, L"C:\\Full\\none", ERROR_FILE_NOT_FOUND},
    {"FileInMissingFolder", false, L"C:\\None\\file.txt", ERROR_PATH_NOT_FOUND},
    {"FolderIsNoFile", false, L"C:\\Empty", ERROR_ACCESS_DENIED},
    {"FileLinkDeletedItself", false, L"C:\\FileLink", ERROR_SUCCESS, "FileLink"},
    {"EmptyFolderRemoved", true, L"C:\\empty", ERROR_SUCCESS, "Empty"},
    {"FolderNotEmpty", true, L"C:\\Full", ERROR_DIR_NOT_EMPTY},
    {"FileIsNoFolder", true, L"C:\\Full\\file.txt", ERROR_DIRECTORY},
    {"MissingFolder", true, L"C:\\None", ERROR_FILE_NOT_FOUND},
    {"FolderLinkRemovedItself", true, L"C:\\FolderLink", ERROR_SUCCESS, "FolderLink"},
    {"NeverADriveRoot", true, L"Z:\\", ERROR_ACCESS_DENIED},
    {"NoFileName", false, nullptr, ERROR_INVALID_PARAMETER},
    {"NoFolderName", true, nullptr, ERROR_INVALID_PARAMETER},
};

class RemovalCaseTest : public RemovalTest, public testing::WithParamInterface<RemovalCase> {};

// One entry goes, or none; what a link leads to always stays.
TEST_P(RemovalCaseTest, RemovesThatEntryOnly) {
    const RemovalCase& c = GetParam();
    SetLastError(ERROR_SUCCESS);
    const BOOL removed = c.folder ? files_.RemoveDirectoryW(c.path) : files_.DeleteFileW(c.path);
    EXPECT_EQ(removed, c.error == ERROR_SUCCESS ? TRUE : FALSE);
    EXPECT_EQ(GetLastError(), c.error);
    if (c.gone != nullptr) {
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(DriveC() / c.gone)));
    }
    EXPECT_TRUE(std::filesystem::exists(Outside() / "keep.txt"));
    EXPECT_TRUE(std::filesystem::exists(DriveC() / "Full"));
}

INSTANTIATE_TEST_SUITE_P(Cases, RemovalCaseTest, testing::ValuesIn(kRemovalCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(EmulatedFilesTest, FullPathNamePointsAtTheFilePartInsideTheBuffer) {
    wchar_t buffer[512];
    LPWSTR filePart = nullptr;
    EXPECT_EQ(files_.FullPathName(L"C:/Games/Demo/./demo.exe", 512, buffer, &filePart), 22u);
    EXPECT_STREQ(buffer, L"C:\\Games\\Demo\\demo.exe");
    ASSERT_NE(filePart, nullptr);
    EXPECT_EQ(filePart, buffer + 14);
    *filePart = L'\0';
    EXPECT_STREQ(buffer, L"C:\\Games\\Demo\\");
}

TEST_F(EmulatedFilesTest, FullPathNameOfAFolderPathHasNoFilePart) {
    wchar_t buffer[512];
    LPWSTR filePart = buffer;
    EXPECT_EQ(files_.FullPathName(L"C:\\Games\\", 512, buffer, &filePart), 9u);
    EXPECT_EQ(filePart, nullptr);
}

TEST_F(EmulatedFilesTest, FullPathNameReportsTheSizeNeededWhenTheBufferIsShort) {
    wchar_t buffer[8] = L"keep";
    LPWSTR filePart = nullptr;
    EXPECT_EQ(files_.FullPathName(L"C:\\Games\\demo.exe", 8, buffer, &filePart), 18u);
    EXPECT_STREQ(buffer, L"keep");
    EXPECT_EQ(files_.FullPathName(L"C:\\Games\\demo.exe", 17, buffer, &filePart), 18u);
    EXPECT_EQ(files_.FullPathName(L"", 8, buffer, &filePart), 0u);
}

// The long form of path as a run on the system sees it; empty when the call fails.
std::wstring LongPathIn(const EmulatedFiles& files, const std::wstring& path) {
    wchar_t buffer[MAX_PATH] = L"";
    const DWORD length = files.LongPathName(path.c_str(), MAX_PATH, buffer);
    return length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

// Windows gives an entry its short name when the entry is made, and the entry keeps it: an entry
// that appeared behind the system's back gets the lowest number free when the folder is next
// looked at, and a number whose entry is gone is free again.
TEST_F(EmulatedFilesTest, ShortNamesGoInTheOrderEntriesAppearAndStayFromRunToRun) {
    std::filesystem::create_directories(DriveC() / "Games/Long Folder");
    EXPECT_EQ(LongPathIn(files_, L"C:\\Games\\LONGFO~1"), L"C:\\Games\\Long Folder");
    std::filesystem::create_directories(DriveC() / "Games/Long Fold A");
    ASSERT_EQ(files_.CreateFolder(L"C:\\Games\\Long Fold Z"), ERROR_SUCCESS);
    ASSERT_EQ(files_.CreateFolder(L"C:\\Games\\Long Fold B\\Sub"), ERROR_SUCCESS);
    std::filesystem::remove(DriveC() / "Games/Long Folder");
    std::filesystem::create_directories(DriveC() / "Games/Long Fold C");

    const DriveMapping nextRunDrives{system_.Path()};
    const EmulatedFiles nextRun{nextRunDrives};
    const std::pair<const wchar_t*, const wchar_t*> expected[] = {
        {L"LONGFO~1", L"Long Fold C"},
        {L"LONGFO~2", L"Long Fold A"},
        {L"LONGFO~3", L"Long Fold Z"},
        {L"LONGFO~4", L"Long Fold B"},
    };
    for (const auto& [shortName, name] : expected) {
        EXPECT_EQ(LongPathIn(nextRun, std::wstring(L"C:\\Games\\") + shortName),
                  std::wstring(L"C:\\Games\\") + name);
    }
}

// A name whose host text is too long is kept under an escaped host name, from which its Windows
// name cannot be had: the system keeps that name with the short name it gave the entry.
TEST_F(EmulatedFilesTest, LongPathNameGivesTheWindowsNameOfAnEntryKeptUnderAnEscapedHostName) {
    const std::wstring name = L"Caf" + std::wstring(130, L'\u00e9');
    ASSERT_EQ(files_.CreateFolder((L"C:\\Games\\" + name).c_str()), ERROR_SUCCESS);
    const DriveMapping nextRunDrives{system_.Path()};
    EXPECT_EQ(LongPathIn(EmulatedFiles{nextRunDrives}, L"C:\\Games\\caf___~1\\"),
              L"C:\\Games\\" + name + L"\\");
}

TEST_F(EmulatedFilesTest, LongPathNameMakesShortNamesLongAndKeepsTheRestAsWritten) {
    std::filesystem::create_directories(DriveC() / "Games/Long Folder");
    WriteBytes(DriveC() / "Games/Long Folder/demo.exe", "x");
    struct Case {
        const wchar_t* path;
        const wchar_t* longPath;  // nullptr: the call fails with error
        DWORD error;
    };
    const Case cases[] = {
        {L"C:\\GAMES\\LONGFO~1\\demo.exe", L"C:\\GAMES\\Long Folder\\demo.exe", 0},
        {L"\\\\?\\C:\\Games\\longfo~1\\", L"\\\\?\\C:\\Games\\Long Folder\\", 0},
        {L"c:/Games/./LONGFO~1/../LONGFO~1", L"c:/Games/./Long Folder/../Long Folder", 0},
        {L"C:\\Games\\LONGFO~1\\none.exe", nullptr, ERROR_FILE_NOT_FOUND},
        {L"C:\\Games\\LONGFO~2\\demo.exe", nullptr, ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        wchar_t buffer[MAX_PATH] = L"";
        SetLastError(0);
        const DWORD length = files_.LongPathName(c.path, MAX_PATH, buffer);
        if (c.longPath == nullptr) {
            EXPECT_EQ(length, 0u) << buffer;
            EXPECT_EQ(GetLastError(), c.error);
        } else {
            EXPECT_EQ(std::wstring(buffer, length), c.longPath);
            EXPECT_EQ(files_.LongPathName(c.path, length, buffer), length + 1);
        }
    }
}

}  // namespace
