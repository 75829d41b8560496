// FindFirstFileW, FindNextFileW and FindClose on the emulated drives: which names a pattern
// gives, in which order, and the errors Windows gives when it gives none.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulated/emulated_system.h"
#include "emulated_test_support.h"

namespace {

struct ListingCase {
    const char* name;
    const wchar_t* pattern;
    std::vector<std::wstring> found;  // "name/" for a folder, "@" after a link's
    DWORD error;                      // after the last entry, or of FindFirstFileW
};

const ListingCase kListingCases[] = {
    {"EveryEntryInNameOrderAfterDotAndDotDot",
     L"C:\\Games\\*",
     {L"./", L"../", L"alpha.LNK", L"Beta.lnk", L"index/", L"notes.txt"},
     ERROR_NO_MORE_FILES},
    {"StarDotStarIsEveryName",
     L"C:\\Games\\*.*",
     {L"./", L"../", L"alpha.LNK", L"Beta.lnk", L"index/", L"notes.txt"},
     ERROR_NO_MORE_FILES},
    {"ExtensionWithoutRegardToCase",
     L"c:\\games\\*.lnk",
     {L"alpha.LNK", L"Beta.lnk"},
     ERROR_NO_MORE_FILES},
    {"QuestionMarkIsOneCharacter", L"C:\\Games\\?eta.*", {L"Beta.lnk"}, ERROR_NO_MORE_FILES},
    {"ExactName", L"C:\\Games\\INDEX", {L"index/"}, ERROR_NO_MORE_FILES},
    {"DriveRootHasNoDotEntries", L"C:\\G*", {L"Games/"}, ERROR_NO_MORE_FILES},
    {"NothingMatches", L"C:\\Games\\*.url", {}, ERROR_FILE_NOT_FOUND},
    {"EmptyFolderHoldsOnlyItselfAndItsParent",
     L"C:\\Games\\index\\*",
     {L"./", L"../"},
     ERROR_NO_MORE_FILES},
    {"MissingFolder", L"C:\\Games\\Missing\\*", {}, ERROR_PATH_NOT_FOUND},
    {"MissingDrive", L"Q:\\*", {}, ERROR_PATH_NOT_FOUND},
    {"NoNameAfterTheFolder", L"C:\\Games\\", {}, ERROR_FILE_NOT_FOUND},
    // A link is a reparse point, a folder when it leads to one; its folder is no link.
    {"LinksAreReparsePoints",
     L"C:\\Linked\\*",
     {L"./", L"../", L"ToFile@", L"ToFolder/@", L"ToNothing@"},
     ERROR_NO_MORE_FILES},
};

class FolderListingTest : public testing::TestWithParam<ListingCase> {
  protected:
    void SetUp() override {
        const std::filesystem::path games = folder_.Path() / "drive_c/Games";
        std::filesystem::create_directories(games / "index");
        for (const char* file : {"Beta.lnk", "alpha.LNK", "notes.txt", "bad|name"}) {
            WriteBytes(games / file, "x");
        }
        const std::filesystem::path linked = folder_.Path() / "drive_c/Linked";
        std::filesystem::create_directories(linked);
        std::filesystem::create_directory_symlink(games, linked / "ToFolder");
        std::filesystem::create_symlink(games / "notes.txt", linked / "ToFile");
        std::filesystem::create_symlink(games / "none", linked / "ToNothing");
    }
    void TearDown() override { EXPECT_EQ(system_.OpenListingCount(), 0u); }

    TemporaryFolder folder_;
    EmulatedSystem system_{folder_.Path(), {L"player", L"S-1-5-21-0-0-0-1000"}};
};

TEST_P(FolderListingTest, GivesTheMatchingEntriesThenItsError) {
    const ListingCase& c = GetParam();
    WIN32_FIND_DATAW data = {};
    std::vector<std::wstring> found;
    const HANDLE find = system_.FindFirstFileW(c.pattern, &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            found.push_back(data.cFileName + std::wstring(folder ? L"/" : L"") +
                            std::wstring(link ? L"@" : L""));
        } while (system_.FindNextFileW(find, &data));
    }
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(found, c.found);
    if (find != INVALID_HANDLE_VALUE) {
        EXPECT_EQ(system_.FindClose(find), TRUE);
        EXPECT_EQ(system_.FindClose(find), FALSE) << "closed twice";
    }
}

INSTANTIATE_TEST_SUITE_P(Patterns, FolderListingTest, testing::ValuesIn(kListingCases),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
