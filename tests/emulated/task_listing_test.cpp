// ListGameTasks on the emulated system: tasks written by CreateGameTask are read back through the
// folder listing and the shell's objects, and what is not a readable task is handled as it must.
#include "registration/task_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulated/com/com_object.h"
#include "emulated/emulated_system.h"
#include "emulated/shell/shell_link_reader.h"
#include "emulated_test_support.h"
#include "platform/gameux.h"
#include "registration/task_shortcuts.h"
#include "support/faulting_system.h"

namespace {

constexpr GUID kGameId = {
    0x9A5EA990, 0x3034, 0x4D6F, {0x91, 0x28, 0x01, 0xF3, 0xC6, 0x10, 0x22, 0xBC}};
constexpr GUID kOtherGameId = {
    0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
constexpr GUID kLowerCaseFolderGameId = {
    0xABCDEF01, 0xABCD, 0x4BCD, {0xAB, 0xCD, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45}};
constexpr wchar_t kDemo[] = L"C:\\Games\\Demo\\demo.exe";

// One line per task, so that a failure shows the whole listing.
std::vector<std::wstring> Lines(const std::vector<ListedTask>& tasks) {
    std::vector<std::wstring> lines;
    for (const ListedTask& task : tasks) {
        lines.push_back((task.kind == TaskKind::Play ? L"play " : L"support ") +
                        std::to_wstring(task.index) + L" " + task.name + L" | " + task.target +
                        L" | " + task.arguments);
    }
    return lines;
}

class TaskListingTest : public testing::Test {
  protected:
    void SetUp() override {
        liveObjectsBefore_ = ComObjectCount::Live();
        InstallSystemBackend(&system_);
    }
    void TearDown() override {
        InstallSystemBackend(nullptr);
        EXPECT_EQ(ComObjectCount::Live(), liveObjectsBefore_) << "a COM object was not released";
        EXPECT_EQ(system_.OpenListingCount(), 0u) << "a folder listing was not closed";
    }

    void Add(int scope, const GUID& game, TaskKind kind, int index, const wchar_t* name,
             const wchar_t* target, const wchar_t* arguments = nullptr) {
        ASSERT_EQ(CreateGameTask(scope, game, kind, index, name, target, arguments), S_OK);
    }

    std::vector<std::wstring> Listed(int scope, const GUID& game, HRESULT expected = S_OK) {
        std::vector<ListedTask> tasks = {{TaskKind::Play, 99, L"left over", L"", L""}};
        EXPECT_EQ(ListGameTasks(scope, game, tasks), expected);
        return Lines(tasks);
    }

    // The host folder of the game's current-user play tasks.
    std::filesystem::path PlayTasksOnHost() const {
        return folder_.Path() / "drive_c/Users/player/AppData/Local/Microsoft/Windows" /
               "GameExplorer/{9A5EA990-3034-4D6F-9128-01F3C61022BC}/PlayTasks";
    }

    TemporaryFolder folder_;
    EmulatedSystem system_{folder_.Path(), {L"player", L"S-1-5-21-0-0-0-1000"}};
    long liveObjectsBefore_ = 0;
};

TEST_F(TaskListingTest, ReadsBackWhatCreateGameTaskWrote_PlayFirstThenByIndexThenName) {
    Add(GIS_CURRENT_USER, kGameId, TaskKind::Support, 0, L"Home page", L"https://example.com/demo");
    Add(GIS_CURRENT_USER, kGameId, TaskKind::Play, 10, L"Editor", L"C:\\Games\\Demo\\editor.exe");
    Add(GIS_CURRENT_USER, kGameId, TaskKind::Play, 2, L"Windowed", kDemo,
        L"-windowed \"two words\"");
    Add(GIS_CURRENT_USER, kGameId, TaskKind::Play, 2, L"benchmark", kDemo, L"-bench");
    Add(GIS_CURRENT_USER, kGameId, TaskKind::Play, 0, L"Play", kDemo);
    Add(GIS_CURRENT_USER, kGameId, TaskKind::Support, 1, L"Manual", L"C:\\Games\\Demo\\manual.pdf");
    // Neither the other scope nor another game belongs to the listing.
    Add(GIS_ALL_USERS, kGameId, TaskKind::Play, 0, L"Everyone", kDemo);
    Add(GIS_CURRENT_USER, kOtherGameId, TaskKind::Play, 0, L"Other", kDemo);

    EXPECT_EQ(Listed(GIS_CURRENT_USER, kGameId),
              (std::vector<std::wstring>{
                  L"play 0 Play | C:\\Games\\Demo\\demo.exe | ",
                  L"play 2 benchmark | C:\\Games\\Demo\\demo.exe | -bench",
                  L"play 2 Windowed | C:\\Games\\Demo\\demo.exe | -windowed \"two words\"",
                  L"play 10 Editor | C:\\Games\\Demo\\editor.exe | ",
                  L"support 0 Home page | https://example.com/demo | ",
                  L"support 1 Manual | C:\\Games\\Demo\\manual.pdf | ",
              }));
    EXPECT_EQ(Listed(GIS_ALL_USERS, kGameId),
              (std::vector<std::wstring>{L"play 0 Everyone | C:\\Games\\Demo\\demo.exe | "}));
}

TEST_F(TaskListingTest, NoFolderOrAnEmptyOneIsNoTaskAndNoFailure) {
    EXPECT_TRUE(Listed(GIS_CURRENT_USER, kGameId).empty());
    std::filesystem::create_directories(PlayTasksOnHost() / "0");
    EXPECT_TRUE(Listed(GIS_CURRENT_USER, kGameId).empty());
}

TEST_F(TaskListingTest, OnlyIndexFoldersAndShortcutFilesCount) {
    Add(GIS_CURRENT_USER, kGameId, TaskKind::Play, 0, L"Play", kDemo);
    WriteBytes(PlayTasksOnHost() / "0/notes.txt", "not a task");
    WriteBytes(PlayTasksOnHost() / "0/Play.lnk.tmp-abc123", "a save that never finished");
    std::filesystem::create_directories(PlayTasksOnHost() / "0/Folder.lnk");
    for (const char* folder : {"007", "x", "-1", "99999999999"}) {
        std::filesystem::create_directories(PlayTasksOnHost() / folder);
        WriteBytes(PlayTasksOnHost() / folder / "Stray.url", "[InternetShortcut]\r\nURL=x\r\n");
    }
    WriteBytes(PlayTasksOnHost() / "5", "a file, not an index folder");

    EXPECT_EQ(Listed(GIS_CURRENT_USER, kGameId),
              (std::vector<std::wstring>{L"play 0 Play | C:\\Games\\Demo\\demo.exe | "}));
}

// A shortcut that cannot be read stays in the listing, without a target.
struct DamageCase {
    const char* name;
    std::string (*damage)(std::string bytes);
};

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

const DamageCase kDamageCases[] = {
    {"Empty", [](std::string) { return std::string(); }},
    {"CutInTheLinkInfo", [](std::string bytes) { return bytes.substr(0, 0x60); }},
    {"CutBeforeTheTerminalBlock",
     [](std::string bytes) { return bytes.substr(0, bytes.size() - 2); }},
    {"LinkInfoSizePastTheEnd",
     [](std::string bytes) {
         PutU32(bytes, 0x4C, 0xFFFFFFF0);
         return bytes;
     }},
    {"UnicodePathOffsetPastTheBlock",
     [](std::string bytes) {
         PutU32(bytes, 0x4C + 28, 0x7FFFFFFF);
         return bytes;
     }},
    {"ArgumentsCountPastTheEnd",
     [](std::string bytes) {
         bytes[bytes.size() - 4 - 2 * 6 - 2] = '\xFF';  // the count of "-bench", before the end
         bytes[bytes.size() - 4 - 2 * 6 - 1] = '\xFF';
         return bytes;
     }},
    {"NotALink", [](std::string) { return std::string(0x200, 'x'); }},
};

class TaskListingDamagedLink : public TaskListingTest,
                               public testing::WithParamInterface<DamageCase> {};

TEST_P(TaskListingDamagedLink, IsListedWithoutTarget) {
    Add(GIS_CURRENT_USER, kGameId, TaskKind::Play, 0, L"Bench", kDemo, L"-bench");
    const std::filesystem::path file = PlayTasksOnHost() / "0/Bench.lnk";
    const std::string damaged = GetParam().damage(ReadBytes(file));
    ASSERT_FALSE(ReadShellLinkBytes(damaged).has_value());
    WriteBytes(file, damaged);

    EXPECT_EQ(Listed(GIS_CURRENT_USER, kGameId),
              (std::vector<std::wstring>{L"play 0 Bench |  | "}));
}

INSTANTIATE_TEST_SUITE_P(Cases, TaskListingDamagedLink, testing::ValuesIn(kDamageCases),
                         [](const auto& test) { return std::string(test.param.name); });

// A listing of every game of a scope finds each game's tasks as ListGameTasks does: a folder named
// by the GUID in lower case is that game's, a game without a folder has none, and where the
// GameExplorer folder cannot be listed each game's folders are still looked for.
TEST(ScopeTaskListing, ListsEachGameAsListGameTasksDoes) {
    const std::vector<std::wstring> expected[] = {
        {L"play 0 Play | C:\\Games\\Demo\\demo.exe | -w"},
        {L"support 3 Lower | C:\\Games\\Demo\\manual.txt | "},
        {},
    };
    for (const bool gamesFolderFails : {false, true}) {
        SCOPED_TRACE(gamesFolderFails ? "GameExplorer folder not listed" : "listed");
        FaultingSystem system;
        ASSERT_EQ(
            CreateGameTask(GIS_CURRENT_USER, kGameId, TaskKind::Play, 0, L"Play", kDemo, L"-w"),
            S_OK);
        ASSERT_EQ(CreateGameTask(GIS_CURRENT_USER, kLowerCaseFolderGameId, TaskKind::Support, 3,
                                 L"Lower", L"C:\\Games\\Demo\\manual.txt", nullptr),
                  S_OK);
        const std::filesystem::path games =
            system.HostPath(L"C:\\Users\\player\\AppData\\Local\\Microsoft\\Windows\\GameExplorer");
        std::filesystem::rename(games / "{ABCDEF01-ABCD-4BCD-ABCD-ABCDEF012345}",
                                games / "{abcdef01-abcd-4bcd-abcd-abcdef012345}");
        const std::string listingGames =
            "FindFirstFileW C:\\Users\\player\\AppData\\Local\\Microsoft\\Windows\\"
            "GameExplorer\\*";
        if (gamesFolderFails) {
            system.Fail(listingGames, ERROR_ACCESS_DENIED);
        }
        const ScopeTaskListing listing(GIS_CURRENT_USER);
        EXPECT_TRUE(system.Called(listingGames));
        int row = 0;
        for (const GUID& game : {kGameId, kLowerCaseFolderGameId, kOtherGameId}) {
            std::vector<ListedTask> tasks = {{TaskKind::Play, 99, L"left over", L"", L""}};
            EXPECT_EQ(listing.List(game, tasks), S_OK);
            EXPECT_EQ(Lines(tasks), expected[row++]);
        }
    }
}

TEST_F(TaskListingTest, EveryCutOfAWrittenLinkIsRefusedWithinItsBounds) {
    Add(GIS_CURRENT_USER, kGameId, TaskKind::Play, 0, L"Bench", kDemo, L"-bench");
    const std::string bytes = ReadBytes(PlayTasksOnHost() / "0/Bench.lnk");
    ASSERT_TRUE(ReadShellLinkBytes(bytes).has_value());
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        // A copy of exactly that size, so that a read past it is a read past the allocation.
        const std::string cut(bytes, 0, size);
        EXPECT_FALSE(ReadShellLinkBytes(cut).has_value()) << size << " bytes";
    }
}

}  // namespace
