#include "emulated/files/short_names.h"

#include <gtest/gtest.h>

#include "emulated/base/win32_codes.h"
#include "emulated/files/emulated_files.h"
#include "emulated/files/short_name_file.h"
#include "emulated_test_support.h"

namespace {

struct ShortNamesCase {
    const char* name;
    std::vector<std::wstring> held;   // short names that other entries hold already
    std::vector<std::wstring> names;  // given their short names in this order
    std::vector<std::wstring> shortNames;
};

const ShortNamesCase kShortNamesCases[] = {
    {"EightDotThreeNamesKeepThemselves",
     {},
     {L"demo.exe", L"README", L"A-1_(2).{}"},
     {L"demo.exe", L"README", L"A-1_(2).{}"}},
    {"LongNamesNumberedInTheOrderTheyAreGiven",
     {},
     {L"Long Folder Two", L"Long Folder", L"Longest Road"},
     {L"LONGFO~1", L"LONGFO~2", L"LONGES~1"}},
    {"NumberHeldByAnotherEntryIsSkipped",
     {L"longfo~1", L"LONGFO~3"},
     {L"Long Folder", L"Long Fold A", L"longfo~3"},
     {L"LONGFO~2", L"LONGFO~4", L"LONGFO~5"}},
    {"BlanksAndInnerDotsGoTheLastDotStartsTheExtension",
     {},
     {L"my game.tar.gz", L"a b.html", L".config"},
     {L"MYGAME~1.GZ", L"AB~1.HTM", L"CONFIG~1"}},
    {"RefusedCharactersBecomeUnderscores",
     {},
     {L"a+b=c;d[1].txt", L"\u00dcber Spiel"},
     {L"A_B_C_~1.TXT", L"_BERSP~1"}},
    {"TenthNameShortensTheStem",
     {L"SAVED~11"},
     {L"Saved Game 1", L"Saved Game 2", L"Saved Game 3", L"Saved Game 4", L"Saved Game 5",
      L"Saved Game 6", L"Saved Game 7", L"Saved Game 8", L"Saved Game 9", L"Saved Game 10",
      L"Saved Game 11"},
     {L"SAVEDG~1", L"SAVEDG~2", L"SAVEDG~3", L"SAVEDG~4", L"SAVEDG~5", L"SAVEDG~6", L"SAVEDG~7",
      L"SAVEDG~8", L"SAVEDG~9", L"SAVED~10", L"SAVED~12"}},
    {"StemsThatDifferOnlyInTheSixthLetterShareNumbersFromTheTenth",
     {L"SAVEDA~1", L"SAVEDA~2", L"SAVEDA~3", L"SAVEDA~4", L"SAVEDA~5", L"SAVEDA~6", L"SAVEDA~7",
      L"SAVEDA~8", L"SAVEDA~9", L"SAVED~10"},
     {L"Savedb game", L"Saveda game 10"},
     {L"SAVEDB~1", L"SAVED~11"}},
};

class ShortNamesTest : public testing::TestWithParam<ShortNamesCase> {};

TEST_P(ShortNamesTest, EachNameGetsTheLowestNumberFreeWhenItIsGiven) {
    ShortNameTable table;
    for (const std::wstring& held : GetParam().held) {
        ASSERT_TRUE(table.Hold(held));
    }
    std::vector<std::wstring> shortNames;
    for (const std::wstring& name : GetParam().names) {
        shortNames.push_back(table.Give(name));
    }
    EXPECT_EQ(shortNames, GetParam().shortNames);
}

INSTANTIATE_TEST_SUITE_P(Folders, ShortNamesTest, testing::ValuesIn(kShortNamesCases),
                         [](const auto& p) { return std::string(p.param.name); });

// Any host name (a line break included) and any Windows name (a lone surrogate included) come
// back as they were kept; a file cut short or of another version gives nothing.
TEST(ShortNameFileTest, KeepsEveryNameAsItIsAndRefusesADamagedFile) {
    const ShortNameFile kept{"/s/drive_c/Games",
                             7,
                             42,
                             {{"Long Folder", L"LONGFO~1", L""},
                              {"two\nlines", L"TWOLIN~1", L""},
                              {"\xc3\x89\xc3\x89|0123456789abcdef", L"______~1",
                               std::wstring(130, L'\u00e9') + wchar_t{0xD800}}}};
    const std::string text = ShortNameFileText(kept);
    const std::optional<ShortNameFile> read = ParseShortNameFile(text);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->folder, kept.folder);
    EXPECT_EQ(read->inode, kept.inode);
    ASSERT_EQ(read->given.size(), kept.given.size());
    for (std::size_t i = 0; i < kept.given.size(); ++i) {
        EXPECT_EQ(read->given[i].hostName, kept.given[i].hostName);
        EXPECT_EQ(read->given[i].shortName, kept.given[i].shortName);
        EXPECT_EQ(read->given[i].windowsName, kept.given[i].windowsName);
    }
    EXPECT_FALSE(ParseShortNameFile(text.substr(0, text.size() - 5)).has_value());
    EXPECT_FALSE(
        ParseShortNameFile("brackenfold short names 2\n" + text.substr(text.find('\n') + 1))
            .has_value());
}

// The file below the system's short_names folder that keeps the names of hostFolder's entries.
std::filesystem::path KeptNamesOf(const std::filesystem::path& system,
                                  const std::filesystem::path& hostFolder) {
    for (const auto& file : std::filesystem::directory_iterator(system / "short_names")) {
        const std::string bytes = ReadBytes(file.path());
        if (bytes.find('\n' + hostFolder.string() + '\0') != std::string::npos) {
            return file.path();
        }
    }
    return {};
}

// GetLongPathNameW's answer, or "error <n>" with its reason when it fails.
std::wstring LongPathOrError(const std::filesystem::path& system, const std::wstring& path) {
    const DriveMapping drives{system};  // a run of its own
    wchar_t buffer[MAX_PATH] = L"";
    SetLastError(0);
    const DWORD length = EmulatedFiles{drives}.LongPathName(path.c_str(), MAX_PATH, buffer);
    return length != 0 ? std::wstring(buffer, length) : L"error " + std::to_wstring(GetLastError());
}

// Which entry held which short name is lost with a damaged file: the folder's short names fail as
// a damaged hive does, rather than go to whichever entry now comes first, until the file is gone.
TEST(DamagedShortNamesTest, FailTheirFoldersShortNamesUntilDeletedAndNeverNameAnotherEntry) {
    TemporaryFolder system;
    const DriveMapping drives{system.Path()};
    const EmulatedFiles files{drives};
    // Game B's folder is made first and is LONGFO~1; game A's, first in name order, is LONGFO~2.
    ASSERT_EQ(files.CreateFolder(L"C:\\Games\\Long Folder B"), ERROR_SUCCESS);
    ASSERT_EQ(files.CreateFolder(L"C:\\Games\\Long Folder A"), ERROR_SUCCESS);
    ASSERT_EQ(files.CreateFolder(L"C:\\Other\\Long Folder Z"), ERROR_SUCCESS);
    ASSERT_EQ(LongPathOrError(system.Path(), L"C:\\Other\\LONGFO~1"), L"C:\\Other\\Long Folder Z");
    const std::filesystem::path kept = KeptNamesOf(system.Path(), system.Path() / "drive_c/Games");
    ASSERT_FALSE(kept.empty());
    const std::string intact = ReadBytes(kept);
    const std::wstring invalidData = L"error " + std::to_wstring(ERROR_INVALID_DATA);

    // Cut short, overwritten, and of no version.
    const std::string damagedFiles[] = {intact.substr(0, intact.size() - 5),
                                        "xxxxxxxx" + intact.substr(8),
                                        intact.substr(0, intact.find('\n'))};
    for (const std::string& damagedFile : damagedFiles) {
        WriteBytes(kept, damagedFile);
        EXPECT_EQ(LongPathOrError(system.Path(), L"C:\\Games\\LONGFO~1"), invalidData);
        EXPECT_EQ(LongPathOrError(system.Path(), L"C:\\Games\\longfo~2\\"), invalidData);
        EXPECT_EQ(LongPathOrError(system.Path(), L"C:\\Games\\Long Folder A"),
                  L"C:\\Games\\Long Folder A");
        EXPECT_EQ(LongPathOrError(system.Path(), L"C:\\Other\\LONGFO~1"),
                  L"C:\\Other\\Long Folder Z");
    }

    // A delete by the short name removes nothing, and an entry made there leaves the file as it is.
    const std::string damaged = ReadBytes(kept);
    const DriveMapping nextRunDrives{system.Path()};
    EXPECT_FALSE(EmulatedFiles{nextRunDrives}.RemoveDirectoryW(L"C:\\Games\\LONGFO~1"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_TRUE(std::filesystem::is_directory(system.Path() / "drive_c/Games/Long Folder A"));
    EXPECT_TRUE(std::filesystem::is_directory(system.Path() / "drive_c/Games/Long Folder B"));
    EXPECT_EQ(files.CreateFolder(L"C:\\Games\\Long Folder C"), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(kept), damaged);

    std::filesystem::remove(kept);
    EXPECT_EQ(LongPathOrError(system.Path(), L"C:\\Games\\LONGFO~1"), L"C:\\Games\\Long Folder A");
    EXPECT_EQ(LongPathOrError(system.Path(), L"C:\\Games\\LONGFO~3"), L"C:\\Games\\Long Folder C");
}

}  // namespace
