// Runs the built program on a fresh emulated system in a temporary folder and checks its output
// and what it leaves on the system: the registry files and every shortcut, read by lnkinfo.
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <future>
#include <map>

#include <gtest/gtest.h>

#include "emulated/base/utf16.h"
#include "emulated/shell/shell_link_format.h"
#include "emulated_test_support.h"
#include "output/program_error_messages.h"
#include "support/demo_game.h"
#include "support/expected_output.h"
#include "support/process_runner.h"
#include "support/reason_codes.h"
#include "support/text_lines.h"

namespace {

const std::string kGameUx =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\";
const std::string kUpgradeKeyLocalMachine =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\"
    "GamesToFindOnWindowsUpgrade\\";
const std::string kUpgradeKeyCurrentUser =
    "HKEY_CURRENT_USER\\Software\\Classes\\Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\"
    "GamesToFindOnWindowsUpgrade\\";
constexpr const char* kGuid = "{0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F0}";
// A game installed where real install folders often are: below a name with an apostrophe.
const std::string kApostropheFolder = "C:\\Games\\Baldur's Gate";
const std::string kApostropheGame = kApostropheFolder + "\\bg.exe";

std::string LoginName() {
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr ? entry->pw_name : "";
}

std::string UserId() {
    return "S-1-5-21-0-0-0-" + std::to_string(1000 + ::getuid());
}

// The host's current folder as the emulated system sees it: Z:\... with backslashes.
std::string AsDriveZ(const std::filesystem::path& path) {
    std::string text = "Z:" + std::filesystem::canonical(path).string();
    for (char& c : text) {
        c = c == '/' ? '\\' : c;
    }
    return text;
}

// The values that Game Explorer records from the demo game's definition, after the two paths.
const std::vector<std::string> kDemoGameValues = {
    "\"ApplicationId\"=\"{CE65F153-02FC-41DD-A0DB-625FAD2F1EE5}\"",
    "\"Title\"=\"Brackenfold Demo Game\"",
    "\"Description\"=\"A game that exists only to be registered by Brackenfold's examples and "
    "tests.\""};

// A registry file section: the key line and exactly these value lines.
std::string Section(const std::string& key, const std::vector<std::string>& values) {
    std::string text = "[" + key + "]\r\n";
    for (const std::string& value : values) {
        text += value + "\r\n";
    }
    return text + "\r\n";
}

class EmulatedProgramTest : public testing::Test {
  protected:
    // environment is set on top of the system's place, which it may change.
    ProcessResult Run(const std::vector<std::string>& arguments,
                      const std::map<std::string, std::string>& environment = {}) const {
        ProcessOptions options;
        options.environment = environment;
        options.environment.emplace("XDG_DATA_HOME", data_.Path().string());
        options.workingDirectory = work_.Path().string();
        return RunProcess(BRACKENFOLD_PROGRAM, arguments, options);
    }

    std::filesystem::path System() const { return data_.Path() / "brackenfold" / "system"; }
    std::filesystem::path HiveFile(const char* hive) const {
        return System() / "registry" / (std::string(hive) + ".reg");
    }
    std::string LocalMachine() const { return Utf16FileAsText(HiveFile("HKEY_LOCAL_MACHINE")); }
    std::string CurrentUser() const { return Utf16FileAsText(HiveFile("HKEY_CURRENT_USER")); }

    std::filesystem::path CommonTasks(const std::string& guid) const {
        return System() / "drive_c/ProgramData/Microsoft/Windows/GameExplorer" / guid;
    }
    std::filesystem::path UserTasks(const std::string& guid) const {
        return System() / "drive_c/Users" / LoginName() /
               "AppData/Local/Microsoft/Windows/GameExplorer" / guid;
    }

    // The braced GUIDs of the games recorded below the GameUX key scope ("Games" or a user id).
    std::vector<std::string> GamesIn(const std::string& scope) const {
        std::vector<std::string> guids;
        std::string text = LocalMachine();
        std::string prefix = "[" + kGameUx + scope + "\\{";
        for (std::size_t at = text.find(prefix); at != std::string::npos;
             at = text.find(prefix, at + 1)) {
            guids.push_back(text.substr(at + prefix.size() - 1, 38));
        }
        return guids;
    }

    // Makes a system whose registry has no Game Explorer class key.
    void CreateSystemWithoutGameExplorer() const {
        std::filesystem::create_directories(System() / "registry");
        WriteBytes(HiveFile("HKEY_LOCAL_MACHINE"),
                   "\xFF\xFE" + ToUtf16Le(L"Windows Registry Editor Version 5.00\r\n\r\n"));
    }

    // Rewrites a hive without the keys whose path starts with dropped (none when empty), with
    // sections appended: what a user, an older system or an attacker may leave there.
    void EditHive(const char* hive, const std::string& dropped, const std::string& appended) const {
        const std::string text = Utf16FileAsText(HiveFile(hive));
        std::string kept;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = std::min(text.find("\r\n\r\n", at), text.size());
            const std::string block = text.substr(at, end - at);
            if (dropped.empty() || block.rfind("[" + dropped, 0) != 0) {
                kept += block + "\r\n\r\n";
            }
            at = end + 4;
        }
        kept += appended;
        WriteBytes(HiveFile(hive), "\xFF\xFE" + ToUtf16Le(std::wstring(kept.begin(), kept.end())));
    }

    void ExpectShortcut(const std::filesystem::path& file, const std::string& target,
                        const std::string& folder, const std::string& arguments) const {
        EXPECT_EQ(LnkInfoField(file, "Local path"), target) << file;
        EXPECT_EQ(LnkInfoField(file, "Working directory"), folder) << file;
        EXPECT_EQ(LnkInfoField(file, "Command line arguments"), arguments) << file;
    }

    TemporaryFolder data_;
    TemporaryFolder work_;
};

TEST_F(EmulatedProgramTest, AddForAllUsersRecordsTheGameAndWritesEveryShortcut) {
    InstallDemoGame(System(), "C:\\Games\\Demo\\demo.exe");
    InstallDemoGame(System(), "C:\\Games\\Demo\\editor.exe");
    ProcessResult result = Run({"-add", "all", "C:\\Games\\Demo\\demo.exe",
                                "Play;C:\\Games\\Demo\\demo.exe;play;-windowed",
                                "Manual;C:\\Games\\Demo\\manual.pdf;support",
                                "Editor;C:\\Games\\Demo\\editor.exe;play;-edit --map=my map"});
    EXPECT_EQ(result.out, kExpectedBanner + TaskAddedLine("Play", 0) + TaskAddedLine("Manual", 0) +
                              TaskAddedLine("Editor", 1) + DoneLine());
    // The manual is not there (yet): the task is added, and its author is told.
    EXPECT_EQ(result.err, TaskTargetMissingLine("Manual", "C:\\Games\\Demo\\manual.pdf"));
    EXPECT_EQ(result.exitStatus, 0);

    std::vector<std::string> games = GamesIn("Games");
    ASSERT_EQ(games.size(), 1u);
    const std::string& guid = games[0];
    EXPECT_NE(
        LocalMachine().find(Section(kGameUx + "Games\\" + guid,
                                    {"\"ConfigGDFBinaryPath\"=\"C:\\\\Games\\\\Demo\\\\demo.exe\"",
                                     "\"ConfigApplicationPath\"=\"C:\\\\Games\\\\Demo\"",
                                     kDemoGameValues[0], kDemoGameValues[1], kDemoGameValues[2]})),
        std::string::npos);
    ExpectShortcut(CommonTasks(guid) / "PlayTasks/0/Play.lnk", "C:\\Games\\Demo\\demo.exe",
                   "C:\\Games\\Demo\\", "-windowed");
    ExpectShortcut(CommonTasks(guid) / "SupportTasks/0/Manual.lnk", "C:\\Games\\Demo\\manual.pdf",
                   "C:\\Games\\Demo\\", "<absent>");
    ExpectShortcut(CommonTasks(guid) / "PlayTasks/1/Editor.lnk", "C:\\Games\\Demo\\editor.exe",
                   "C:\\Games\\Demo\\", "-edit --map=my map");
    EXPECT_FALSE(std::filesystem::exists(UserTasks(guid)));
    const std::string listed =
        ListedRecordLine(guid, false, "C:\\Games\\Demo\\demo.exe", true, false) +
        ListedTaskLine(TaskKind::Play, 0, "Play", "C:\\Games\\Demo\\demo.exe", "-windowed") +
        ListedTaskLine(TaskKind::Play, 1, "Editor", "C:\\Games\\Demo\\editor.exe",
                       "-edit --map=my map") +
        ListedTaskLine(TaskKind::Support, 0, "Manual", "C:\\Games\\Demo\\manual.pdf", "", true) +
        DoneLine();
    EXPECT_EQ(LeadingColumns(Run({"-nologo", "-list"}).out, listed), listed);
}

TEST_F(EmulatedProgramTest, AddForTheCurrentUserWithAGivenGuidAndARelativeTarget) {
    InstallDemoGame(System(), "C:\\Games\\Solo\\solo.exe");
    InstallDemoGame(System(), "C:\\Games\\Solo\\site.url", "[InternetShortcut]");
    WriteBytes(work_.Path() / "solo.exe", DemoGame());
    ProcessResult result =
        Run({std::string("-guid:") + kGuid, "-add", "current", "C:\\Games\\Solo\\solo.exe",
             "Play;solo.exe;play", "Site;C:\\Games\\Solo\\site.url;SUPPORT;--open"});
    EXPECT_EQ(result.out, kExpectedBanner + GuidObtainedLine(kGuid) + TaskAddedLine("Play", 0) +
                              TaskAddedLine("Site", 0) + DoneLine());
    EXPECT_EQ(result.err, "");

    EXPECT_EQ(GamesIn(UserId()), std::vector<std::string>{kGuid});
    EXPECT_TRUE(GamesIn("Games").empty());
    std::string here = AsDriveZ(work_.Path());
    ExpectShortcut(UserTasks(kGuid) / "PlayTasks/0/Play.lnk", here + "\\solo.exe", here + "\\",
                   "<absent>");
    ExpectShortcut(UserTasks(kGuid) / "SupportTasks/0/Site.lnk", "C:\\Games\\Solo\\site.url",
                   "C:\\Games\\Solo\\", "--open");
    EXPECT_FALSE(std::filesystem::exists(CommonTasks(kGuid)));
}

TEST_F(EmulatedProgramTest, AddAgainReplacesTheTasksAndWritesWebAddressesAsInternetShortcuts) {
    InstallDemoGame(System(), kApostropheGame);
    const std::string guidOption = std::string("-guid:") + kGuid;
    const std::string manual = kApostropheFolder + "\\Baldur's Manual.pdf";
    ProcessResult first =
        Run({guidOption, "-add", "all", kApostropheGame, "Old;" + kApostropheGame + ";play",
             "Manual;" + manual + ";support"});
    EXPECT_EQ(first.out, kExpectedBanner + GuidObtainedLine(kGuid) + TaskAddedLine("Old", 0) +
                             TaskAddedLine("Manual", 0) + DoneLine());
    ExpectShortcut(CommonTasks(kGuid) / "SupportTasks/0/Manual.lnk", manual,
                   kApostropheFolder + "\\", "<absent>");

    ProcessResult again =
        Run({guidOption, "-add", "all", kApostropheGame, "Play;" + kApostropheGame + ";play",
             "Website;https://example.com/support;support"});
    EXPECT_EQ(again.out, kExpectedBanner + GuidObtainedLine(kGuid) + TaskAddedLine("Play", 0) +
                             TaskAddedLine("Website", 0) + DoneLine());
    EXPECT_EQ(again.err, "");
    EXPECT_FALSE(std::filesystem::exists(CommonTasks(kGuid) / "PlayTasks/0/Old.lnk"));
    EXPECT_FALSE(std::filesystem::exists(CommonTasks(kGuid) / "SupportTasks/0/Manual.lnk"));
    ExpectShortcut(CommonTasks(kGuid) / "PlayTasks/0/Play.lnk", kApostropheGame,
                   kApostropheFolder + "\\", "<absent>");
    EXPECT_EQ(ReadBytes(CommonTasks(kGuid) / "SupportTasks/0/Website.url"),
              "[InternetShortcut]\r\nURL=https://example.com/support\r\n");
}

TEST_F(EmulatedProgramTest, DeleteByPathFindsTheGameThroughWmiAndRemovesEverything) {
    InstallDemoGame(System(), "C:\\Games\\Demo\\demo.exe");
    InstallDemoGame(System(), "C:\\Games\\Keep\\keep.exe");
    ASSERT_EQ(
        Run({"-add", "all", "C:\\Games\\Demo\\demo.exe", "Play;C:\\Games\\Demo\\demo.exe;play"})
            .exitStatus,
        0);
    ASSERT_EQ(
        Run({"-add", "current", "C:\\Games\\Keep\\keep.exe", "Play;keep.exe;play"}).exitStatus, 0);
    std::vector<std::string> games = GamesIn("Games");
    ASSERT_EQ(games.size(), 1u);
    ASSERT_TRUE(std::filesystem::exists(CommonTasks(games[0]) / "PlayTasks/0/Play.lnk"));

    // WMI compares paths as Windows does: without regard to case.
    ProcessResult result = Run({"-del", "c:\\games\\DEMO\\Demo.exe"});
    EXPECT_EQ(result.out, kExpectedBanner + TasksRemovedLine("c:\\games\\DEMO\\Demo.exe") +
                              RemovedLine("c:\\games\\DEMO\\Demo.exe") + DoneLine());
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(GamesIn("Games").empty());
    EXPECT_FALSE(std::filesystem::exists(CommonTasks(games[0])));
    EXPECT_EQ(GamesIn(UserId()).size(), 1u);

    ProcessResult again = Run({"-del", "C:\\Games\\Demo\\demo.exe"});
    EXPECT_EQ(again.out, kExpectedBanner + DoneLine());
    EXPECT_EQ(WithReasonCodesOnly(again.err),
              NotFoundLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0x80070490"));
}

// 130 "é" and 90 "日" are names Windows holds, longer than a host name in UTF-8.
TEST_F(EmulatedProgramTest, TaskNamesLongerThanAHostNameAreAddedAndRemoved) {
    const std::string exe = "C:\\Games\\Demo\\demo.exe";
    InstallDemoGame(System(), exe);
    InstallDemoGame(System(), "C:\\Games\\Demo\\manual.txt", "manual");
    std::string accents;
    std::string days;
    for (int i = 0; i < 130; ++i) {
        accents += "\xC3\xA9";
        days += i < 90 ? "\xE6\x97\xA5" : "";
    }
    const std::string guidOption = std::string("-guid:") + kGuid;
    ProcessResult added = Run({guidOption, "-add", "all", exe, accents + ";" + exe + ";play",
                               days + ";C:\\Games\\Demo\\manual.txt;support"});
    EXPECT_EQ(added.err, "");
    for (const char* kind : {"PlayTasks/0", "SupportTasks/0"}) {
        const std::filesystem::path folder = CommonTasks(kGuid) / kind;
        ASSERT_TRUE(std::filesystem::is_directory(folder)) << kind;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << kind;
    }
    ProcessResult removed = Run({guidOption, "-del", exe});
    EXPECT_EQ(removed.err, "");
    EXPECT_FALSE(std::filesystem::exists(CommonTasks(kGuid)));
}

TEST_F(EmulatedProgramTest, DeleteByGuidRemovesTheGameAndItsTasks) {
    InstallDemoGame(System(), "C:\\G\\g.exe");
    ASSERT_EQ(Run({std::string("-guid:") + kGuid, "-add", "current", "C:\\G\\g.exe",
                   "Play;C:\\G\\g.exe;play", "Help;C:\\G\\help.txt;support"})
                  .exitStatus,
              0);
    ASSERT_TRUE(std::filesystem::exists(UserTasks(kGuid) / "SupportTasks/0/Help.lnk"));

    ProcessResult result = Run({std::string("-guid:") + kGuid, "-del", "anything.exe"});
    EXPECT_EQ(result.out, kExpectedBanner + GuidObtainedLine(kGuid) +
                              RegistrationRemovedLines("anything.exe") + DoneLine());
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(GamesIn(UserId()).empty());
    EXPECT_FALSE(std::filesystem::exists(UserTasks(kGuid)));

    // A GUID registered nowhere: the game is looked up by its path, and nothing is found there.
    ProcessResult again = Run({std::string("-guid:") + kGuid, "-del", "anything.exe"});
    EXPECT_EQ(again.out, kExpectedBanner + GuidObtainedLine(kGuid) + DoneLine());
    EXPECT_EQ(WithReasonCodesOnly(again.err),
              NotFoundLine("anything.exe") + ReasonCode("0x80070490"));
}

TEST_F(EmulatedProgramTest, WithoutGameExplorerTheUpgradeKeysAreWrittenAndRemoved) {
    CreateSystemWithoutGameExplorer();
    InstallDemoGame(System(), "C:\\Games\\Old\\old.exe");
    ProcessResult all = Run({std::string("-guid:") + kGuid, "-add", "all",
                             "C:\\Games\\Old\\old.exe", "Play;C:\\Games\\Old\\old.exe;play"});
    EXPECT_EQ(all.out,
              kExpectedBanner + GuidObtainedLine(kGuid) + TaskAddedLine("Play", 0) + DoneLine());
    EXPECT_EQ(all.err, "");
    ProcessResult current = Run({"-add", "current", "C:\\Games\\Mine\\mine.exe"});
    EXPECT_EQ(current.out, kExpectedBanner + DoneLine());

    EXPECT_NE(LocalMachine().find(Section(kUpgradeKeyLocalMachine + kGuid,
                                          {"\"GDFBinaryPath\"=\"C:\\\\Games\\\\Old\\\\old.exe\"",
                                           "\"GameInstallPath\"=\"C:\\\\Games\\\\Old\""})),
              std::string::npos);
    std::string user = CurrentUser();
    std::size_t key = user.find("[" + kUpgradeKeyCurrentUser + "{");
    ASSERT_NE(key, std::string::npos);
    std::string userGuid = user.substr(key + 1 + kUpgradeKeyCurrentUser.size(), 38);
    EXPECT_NE(user.find(Section(kUpgradeKeyCurrentUser + userGuid,
                                {"\"GDFBinaryPath\"=\"C:\\\\Games\\\\Mine\\\\mine.exe\"",
                                 "\"GameInstallPath\"=\"C:\\\\Games\\\\Mine\""})),
              std::string::npos);
    ExpectShortcut(CommonTasks(kGuid) / "PlayTasks/0/Play.lnk", "C:\\Games\\Old\\old.exe",
                   "C:\\Games\\Old\\", "<absent>");

    // Without Game Explorer a path is found in the upgrade keys.
    ProcessResult byPath = Run({"-del", "C:\\Games\\Old\\old.exe"});
    EXPECT_EQ(byPath.out, kExpectedBanner + TasksRemovedLine("C:\\Games\\Old\\old.exe") +
                              RemovedLine("C:\\Games\\Old\\old.exe") + DoneLine());
    EXPECT_EQ(byPath.err, "");

    ProcessResult removed = Run({"-guid:" + userGuid, "-del", "x.exe"});
    EXPECT_EQ(removed.out, kExpectedBanner + GuidObtainedLine(userGuid) +
                               RegistrationRemovedLines("x.exe") + DoneLine());
    EXPECT_EQ(LocalMachine().find(kUpgradeKeyLocalMachine + "{"), std::string::npos);
    EXPECT_EQ(CurrentUser().find(kUpgradeKeyCurrentUser + "{"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(CommonTasks(kGuid)));
}

// Every place the lookup by path reads is cleaned by the removal, whether Game Explorer came
// after the game (its upgrade key) or went after it (its record): one delete prints its pair of
// lines once, and a second one finds nothing.
TEST_F(EmulatedProgramTest, ADeleteRemovesRecordsLeftFromASystemWithOrWithoutGameExplorer) {
    const std::string exe = "C:\\Games\\Demo\\demo.exe";
    const std::string gameExplorerClass =
        "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{9A5EA990-3034-4D6F-9128-01F3C61022BC}";
    const std::string pair = RegistrationRemovedLines(exe);
    for (const bool gameExplorerCame : {true, false}) {
        SCOPED_TRACE(gameExplorerCame ? "Game Explorer came" : "Game Explorer went");
        std::filesystem::remove_all(System());
        if (gameExplorerCame) {
            CreateSystemWithoutGameExplorer();
        }
        InstallDemoGame(System(), exe);
        ASSERT_EQ(
            Run({std::string("-guid:") + kGuid, "-add", "all", exe, "Play;" + exe + ";play"}).err,
            "");
        EditHive("HKEY_LOCAL_MACHINE", gameExplorerCame ? "" : gameExplorerClass,
                 gameExplorerCame ? Section(gameExplorerClass, {"@=\"Game Explorer\""}) : "");

        const ProcessResult removed = Run({"-exitcode", "-del", exe});
        EXPECT_EQ(removed.out, kExpectedBanner + pair + DoneLine());
        EXPECT_EQ(removed.err, "");
        EXPECT_EQ(removed.exitStatus, 0);
        const ProcessResult again = Run({"-exitcode", "-del", exe});
        EXPECT_EQ(WithReasonCodesOnly(again.err), NotFoundLine(exe) + ReasonCode("0x80070490"));
        EXPECT_EQ(again.exitStatus, 0);
        EXPECT_EQ(LocalMachine().find(kGuid), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(CommonTasks(kGuid)));
    }
}

// How much of Game Explorer the system has.
enum class GamesSystem { Full, WithoutNamespace, WithoutGameExplorer };

struct IdentityCase {
    const char* name;
    GamesSystem system;
};

class GameIdentityTest : public EmulatedProgramTest,
                         public testing::WithParamInterface<IdentityCase> {
  protected:
    void SetUp() override {
        if (GetParam().system == GamesSystem::WithoutGameExplorer) {
            CreateSystemWithoutGameExplorer();
        } else if (GetParam().system == GamesSystem::WithoutNamespace) {
            // Game Explorer's class alone, as Wine has it: no games namespace.
            std::filesystem::create_directories(System() / "registry");
            WriteBytes(HiveFile("HKEY_LOCAL_MACHINE"),
                       "\xFF\xFE" + ToUtf16Le(L"Windows Registry Editor Version 5.00\r\n\r\n"
                                              L"[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\"
                                              L"{9A5EA990-3034-4D6F-9128-01F3C61022BC}]\r\n"
                                              L"@=\"Game Explorer\"\r\n\r\n"));
        }
        InstallDemoGame(System(), kExe);
        InstallDemoGame(System(), "C:\\Games\\Demo\\manual.txt", "manual");
    }

    // The GUIDs of every registration of a game: Game Explorer's records of both scopes and the
    // upgrade keys of both.
    std::vector<std::string> Registrations() const {
        std::vector<std::string> guids = GamesIn("Games");
        for (const std::string& guid : GamesIn(UserId())) {
            guids.push_back(guid);
        }
        for (const std::string& hive : {LocalMachine(), CurrentUser()}) {
            for (const std::string& parent : {kUpgradeKeyLocalMachine, kUpgradeKeyCurrentUser}) {
                const std::string prefix = "[" + parent + "{";
                for (std::size_t at = hive.find(prefix); at != std::string::npos;
                     at = hive.find(prefix, at + 1)) {
                    guids.push_back(hive.substr(at + prefix.size() - 1, 38));
                }
            }
        }
        return guids;
    }

    static constexpr const char* kExe = "C:\\Games\\Demo\\demo.exe";
};

TEST_P(GameIdentityTest, AReinstallReplacesTheGameAndOneUninstallRemovesIt) {
    const std::string exe = kExe;
    ProcessResult first = Run({"-add", "all", exe, "Play;" + exe + ";play",
                               "Manual;C:\\Games\\Demo\\manual.txt;support"});
    EXPECT_EQ(first.err, "");
    const std::vector<std::string> added = Registrations();
    ASSERT_EQ(added.size(), 1u);
    const std::string guid = added[0];

    ProcessResult again = Run({"-add", "all", exe, "Start;" + exe + ";play"});
    EXPECT_EQ(again.out, kExpectedBanner + TaskAddedLine("Start", 0) + DoneLine());
    EXPECT_EQ(again.err, "");
    EXPECT_EQ(Registrations(), added);
    EXPECT_TRUE(std::filesystem::exists(CommonTasks(guid) / "PlayTasks/0/Start.lnk"));
    EXPECT_FALSE(std::filesystem::exists(CommonTasks(guid) / "PlayTasks/0/Play.lnk"));
    EXPECT_FALSE(std::filesystem::exists(CommonTasks(guid) / "SupportTasks/0"));

    ProcessResult removed = Run({"-del", exe});
    EXPECT_EQ(removed.out, kExpectedBanner + RegistrationRemovedLines(exe) + DoneLine());
    EXPECT_EQ(removed.err, "");
    EXPECT_TRUE(Registrations().empty());
    EXPECT_FALSE(std::filesystem::exists(CommonTasks(guid)));
}

// A file has one registration per scope: an add under another GUID replaces the scope's own,
// records and tasks, and leaves the other scope's; one uninstall by path removes every one.
TEST_P(GameIdentityTest, AnAddReplacesTheScopesOtherRegistrationAndOneUninstallRemovesAll) {
    const std::string exe = kExe;
    const std::string other = "{00000000-0000-0000-0000-00000000000A}";
    for (const char* scope : {"all", "current"}) {
        ASSERT_EQ(Run({"-guid:" + other, "-add", scope, exe, "Play;" + exe + ";play"}).err, "");
    }

    ProcessResult replaced = Run({std::string("-guid:") + kGuid, "-add", "all", exe});
    EXPECT_EQ(replaced.out,
              kExpectedBanner + GuidObtainedLine(kGuid) + ReplacedLine(exe, other) + DoneLine());
    EXPECT_EQ(replaced.err, "");
    std::vector<std::string> registrations = Registrations();
    std::sort(registrations.begin(), registrations.end());
    EXPECT_EQ(registrations, (std::vector<std::string>{other, kGuid}));
    EXPECT_FALSE(std::filesystem::exists(CommonTasks(other) / "PlayTasks"));
    EXPECT_TRUE(std::filesystem::exists(UserTasks(other) / "PlayTasks/0/Play.lnk"));

    ProcessResult removed = Run({"-del", exe});
    EXPECT_EQ(removed.out, kExpectedBanner + RegistrationRemovedLines(exe) +
                               RegistrationRemovedLines(exe) + DoneLine());
    EXPECT_EQ(removed.err, "");
    EXPECT_TRUE(Registrations().empty());
}

// "\\?\", "\\.\" and short names are spellings of one path, which names one game.
TEST_P(GameIdentityTest, EverySpellingOfThePathNamesTheOneGame) {
    const std::string exe = "C:\\Games\\Long Folder\\demo.exe";
    InstallDemoGame(System(), exe);
    EXPECT_EQ(Run({"-add", "all", "\\\\?\\" + exe}).err, "");
    const std::vector<std::string> added = Registrations();
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(Run({"-add", "all", "C:\\Games\\LONGFO~1\\demo.exe"}).err, "");
    EXPECT_EQ(Registrations(), added);

    const std::string spelling = "\\\\.\\c:\\GAMES\\longfo~1\\DEMO.EXE";
    ProcessResult removed = Run({"-del", spelling});
    EXPECT_EQ(removed.err, "");
    EXPECT_EQ(removed.out, kExpectedBanner + RegistrationRemovedLines(spelling) + DoneLine());
    EXPECT_TRUE(Registrations().empty());
}

// A short name stays with the folder it was given to: a game added by it is not taken for a game
// in a folder made beside it later, which Windows gives the next number.
TEST_P(GameIdentityTest, AFolderMadeBesideAGameAddedByItsShortNameIsAnotherGame) {
    InstallDemoGame(System(), "C:\\Games\\Long Folder\\demo.exe");
    ASSERT_EQ(Run({"-add", "all", "C:\\Games\\LONGFO~1\\demo.exe"}).err, "");
    const std::vector<std::string> first = Registrations();
    const std::string beside = "C:\\Games\\Long Fold A\\demo.exe";
    InstallDemoGame(System(), beside);
    ASSERT_EQ(Run({"-add", "all", beside}).err, "");
    EXPECT_EQ(Registrations().size(), 2u);
    EXPECT_EQ(Run({"-del", beside}).err, "");
    EXPECT_EQ(Registrations(), first);
}

// Records that name the path under game B's GUID: key names that only start like B's GUID, and
// B's own GUID in the current user's upgrade keys, which the user can write. A delete of the path
// (elevated, as uninstallers run) removes its own game and those records alone; B keeps its
// registration and its tasks, and an add of the path never takes B's GUID.
TEST_P(GameIdentityTest, RecordsNamingThePathUnderAnotherGamesGuidNeverStealThatGame) {
    const std::string exe = kExe;
    const std::string other = "C:\\Games\\Other\\other.exe";
    InstallDemoGame(System(), other);
    ASSERT_EQ(
        Run({std::string("-guid:") + kGuid, "-add", "all", other, "Play;" + other + ";play"}).err,
        "");
    ASSERT_EQ(Run({"-add", "all", exe, "Play;" + exe + ";play"}).err, "");
    const std::string names = "\"ConfigGDFBinaryPath\"=\"C:\\\\Games\\\\Demo\\\\demo.exe\"";
    const std::string guid = kGuid;
    std::string planted;
    for (const std::string& name : {guid + ".bak", guid + " old", guid.substr(0, 37)}) {
        planted += Section(kGameUx + "Games\\" + name, {names});
    }
    EditHive("HKEY_LOCAL_MACHINE", "", planted);
    EditHive("HKEY_CURRENT_USER", "",
             Section(kUpgradeKeyCurrentUser + kGuid,
                     {"\"GDFBinaryPath\"=\"C:\\\\Games\\\\Demo\\\\demo.exe\""}));

    ASSERT_EQ(Run({"-add", "all", exe, "Start;" + exe + ";play"}).err, "");
    const ProcessResult removed = Run({"-del", exe});
    EXPECT_EQ(removed.err, "");
    EXPECT_EQ(WithReasonCodesOnly(Run({"-del", exe}).err),
              NotFoundLine(exe) + ReasonCode("0x80070490"));
    EXPECT_TRUE(std::filesystem::exists(CommonTasks(kGuid) / "PlayTasks/0/Play.lnk"));
    EXPECT_EQ(Run({"-del", other}).out,
              kExpectedBanner + RegistrationRemovedLines(other) + DoneLine());
}

// One GUID registered for both scopes at two paths (two flavours of one installer that should
// have had a GUID each): a delete by that GUID removes every record of it, whichever scope Game
// Explorer takes first, with both scopes' tasks, and says so only when nothing of it is left.
TEST_P(GameIdentityTest, ADeleteByGuidRemovesEveryRegistrationOfThatGuid) {
    const std::string mine = kExe;
    const std::string theirs = "C:\\Games\\Everyone\\demo.exe";
    InstallDemoGame(System(), theirs);
    const std::string option = std::string("-guid:") + kGuid;
    ASSERT_EQ(Run({option, "-add", "current", mine, "Play;" + mine + ";play"}).err, "");
    ASSERT_EQ(Run({option, "-add", "all", theirs, "Play;" + theirs + ";play"}).err, "");
    ASSERT_EQ(Registrations().size(), 2u);

    const ProcessResult removed = Run({"-exitcode", option, "-del", mine});
    EXPECT_EQ(removed.out, kExpectedBanner + GuidObtainedLine(kGuid) +
                               RegistrationRemovedLines(mine) + DoneLine());
    EXPECT_EQ(removed.err, "");
    EXPECT_EQ(removed.exitStatus, 0);
    EXPECT_TRUE(Registrations().empty());
    EXPECT_FALSE(std::filesystem::exists(CommonTasks(kGuid)));
    EXPECT_FALSE(std::filesystem::exists(UserTasks(kGuid)));
}

// Added by a short spelling, the game is recorded under its long path: after an uninstaller has
// removed the files, the long spelling still finds the record.
TEST_P(GameIdentityTest, TheAddRecordsTheLongPath) {
    const std::string exe = "C:\\Games\\Long Folder\\demo.exe";
    InstallDemoGame(System(), exe);
    ASSERT_EQ(Run({"-add", "all", "\\\\?\\C:\\Games\\LONGFO~1\\demo.exe"}).err, "");
    const std::string hives = LocalMachine() + CurrentUser();
    EXPECT_NE(hives.find("C:\\\\Games\\\\Long Folder\\\\demo.exe"), std::string::npos);
    EXPECT_EQ(hives.find("LONGFO~1"), std::string::npos);
    std::filesystem::remove_all(System() / "drive_c/Games/Long Folder");
    const ProcessResult removed = Run({"-exitcode", "-del", exe});
    EXPECT_EQ(removed.err, "");
    EXPECT_EQ(removed.exitStatus, 0);
    EXPECT_TRUE(Registrations().empty());
}

// An empty path names no game, with a GUID or without: refused before anything is removed.
TEST_P(GameIdentityTest, AnEmptyDeletePathIsRefused) {
    ASSERT_EQ(Run({std::string("-guid:") + kGuid, "-add", "all", kExe}).err, "");
    for (const bool withGuid : {false, true}) {
        const ProcessResult refused =
            withGuid ? Run({"-exitcode", std::string("-guid:") + kGuid, "-del", ""})
                     : Run({"-exitcode", "-del", ""});
        EXPECT_EQ(refused.out,
                  kExpectedBanner + (withGuid ? GuidObtainedLine(kGuid) : "") + DoneLine());
        EXPECT_EQ(WithReasonCodesOnly(refused.err), NotFoundLine("") + ReasonCode("0x80070057"));
        EXPECT_EQ(refused.exitStatus, 2);
    }
    EXPECT_EQ(Registrations().size(), 1u);
}

// -list shows each record as the lookup sees it, with the tasks of its scope, and changes
// nothing; a record whose GUID's own records name another path is marked stale.
TEST_P(GameIdentityTest, ListShowsEveryRecordAndChangesNothing) {
    const ProcessResult empty = Run({"-list"});
    EXPECT_EQ(empty.out, kExpectedBanner + NoGameRegisteredLine() + DoneLine());
    EXPECT_EQ(empty.exitStatus, 0);

    ASSERT_EQ(Run({std::string("-guid:") + kGuid, "-add", "current", kExe,
                   std::string("Play;") + kExe + ";play;-windowed"})
                  .err,
              "");
    // The GUID's all users' upgrade key names another path: where Game Explorer keeps the game,
    // that key is stale; without it neither record of the GUID is its own.
    EditHive("HKEY_LOCAL_MACHINE", "",
             Section(kUpgradeKeyLocalMachine + kGuid,
                     {"\"GDFBinaryPath\"=\"C:\\\\Games\\\\Planted\\\\x.exe\""}));
    const bool gameExplorer = GetParam().system != GamesSystem::WithoutGameExplorer;
    const std::string before = LocalMachine() + CurrentUser();
    const ProcessResult listed = Run({"-nologo", "-list"});
    const std::string expected =
        ListedRecordLine(kGuid, true, kExe, gameExplorer, !gameExplorer) +
        ListedTaskLine(TaskKind::Play, 0, "Play", kExe, "-windowed") +
        ListedRecordLine(kGuid, false, "C:\\Games\\Planted\\x.exe", false, true) + DoneLine();
    EXPECT_EQ(LeadingColumns(listed.out, expected), expected);
    EXPECT_EQ(listed.err, "");
    EXPECT_EQ(LocalMachine() + CurrentUser(), before);
}

const IdentityCase kIdentityCases[] = {
    {"WithGamesNamespace", GamesSystem::Full},
    {"WithoutGamesNamespace", GamesSystem::WithoutNamespace},
    {"WithoutGameExplorer", GamesSystem::WithoutGameExplorer},
};

INSTANTIATE_TEST_SUITE_P(Systems, GameIdentityTest, testing::ValuesIn(kIdentityCases),
                         [](const auto& p) { return std::string(p.param.name); });

// A value can neither add a line to -list nor reach the terminal as a control sequence: an upgrade
// key that any process of the user can write, and a shortcut planted in the game's task folder,
// with line breaks, ESC and BEL in the path, target and arguments, are one line each.
TEST_F(EmulatedProgramTest, ListShowsEachRecordAndTaskOnOneLineWhateverItsValuesHold) {
    const std::string exe = "C:\\Games\\Demo\\demo.exe";
    const std::string forgedGuid = "{5A5A5A5A-5A5A-4A5A-8A5A-5A5A5A5A5A5A}";
    InstallDemoGame(System(), exe);
    ASSERT_EQ(
        Run({std::string("-guid:") + kGuid, "-add", "current", exe, "Play;" + exe + ";play"}).err,
        "");
    EditHive(
        "HKEY_CURRENT_USER", "",
        Section(kUpgradeKeyCurrentUser + forgedGuid,
                {"\"GDFBinaryPath\"=\"C:\\\\x.exe\\n{99999999-9999-4999-8999-999999999999} all "
                 "C:\\\\Windows\\\\forged.exe (Game Explorer record)\x1b[2J\""}));
    ShellLinkContents link;
    link.localPath = L"C:\\t.exe\r\n    play 9: Fake -> C:\\f.exe\x1b]0;title\x07";
    link.arguments = L"-a\n\x1b[31m";
    std::filesystem::create_directories(UserTasks(kGuid) / "PlayTasks/1");
    WriteBytes(UserTasks(kGuid) / "PlayTasks/1/Forged.lnk", ShellLinkBytes(link));

    const ProcessResult listed = Run({"-nologo", "-list"});
    const std::string expected =
        ListedRecordLine(kGuid, true, exe, true, false) +
        ListedTaskLine(TaskKind::Play, 0, "Play", exe, "") +
        ListedTaskLine(TaskKind::Play, 1, "Forged",
                       "C:\\t.exe\\r\\n    play 9: Fake -> C:\\f.exe\\x1B]0;title\\x07",
                       "-a\\n\\x1B[31m") +
        ListedRecordLine(forgedGuid, true,
                         "C:\\x.exe\\n{99999999-9999-4999-8999-999999999999} all "
                         "C:\\Windows\\forged.exe (Game Explorer record)\\x1B[2J",
                         false, false) +
        DoneLine();
    EXPECT_EQ(LeadingColumns(listed.out, expected), expected);
    EXPECT_EQ(LinesOf(listed.out).size(), 5u);
    EXPECT_EQ(listed.err, "");
}

TEST_F(EmulatedProgramTest, RunsAtOnceAllKeepTheirChanges) {
    constexpr int kRuns = 4;
    std::vector<std::future<ProcessResult>> runs;
    for (int i = 0; i < kRuns; ++i) {
        std::string exe = "C:\\Games\\G" + std::to_string(i) + "\\g.exe";
        InstallDemoGame(System(), exe);
        runs.push_back(std::async(std::launch::async, [this, exe] {
            return Run({"-add", "all", exe, "Play;" + exe + ";play", "Help;" + exe + ";support"});
        }));
    }
    for (auto& run : runs) {
        ProcessResult result = run.get();
        EXPECT_EQ(result.out, kExpectedBanner + TaskAddedLine("Play", 0) +
                                  TaskAddedLine("Help", 0) + DoneLine());
        EXPECT_EQ(result.err, "");
    }
    std::vector<std::string> games = GamesIn("Games");
    EXPECT_EQ(games.size(), static_cast<std::size_t>(kRuns));
    for (const std::string& guid : games) {
        EXPECT_TRUE(std::filesystem::exists(CommonTasks(guid) / "PlayTasks/0/Play.lnk"));
        EXPECT_TRUE(std::filesystem::exists(CommonTasks(guid) / "SupportTasks/0/Help.lnk"));
    }
    for (int i = 0; i < kRuns; ++i) {
        EXPECT_NE(LocalMachine().find("G" + std::to_string(i) + "\\\\g.exe"), std::string::npos);
    }
}

TEST_F(EmulatedProgramTest, CorruptedRegistryFileFailsClearlyAndIsLeftAsItWas) {
    InstallDemoGame(System(), "C:\\Games\\A\\a.exe");
    InstallDemoGame(System(), "C:\\Games\\B\\b.exe");
    ASSERT_EQ(Run({"-add", "all", "C:\\Games\\A\\a.exe"}).exitStatus, 0);
    std::string corrupted = ReadBytes(HiveFile("HKEY_LOCAL_MACHINE"));
    corrupted.resize(corrupted.size() / 2 & ~std::size_t{1});
    corrupted += std::string("\x5B\x00\x5B\x00", 4);  // "[[": no key line can start so
    WriteBytes(HiveFile("HKEY_LOCAL_MACHINE"), corrupted);

    ProcessResult add =
        Run({"-add", "all", "C:\\Games\\B\\b.exe", "Play;C:\\Games\\B\\b.exe;play"});
    EXPECT_EQ(add.out, kExpectedBanner + DoneLine());
    // The reason names the damaged registry, not the game, whose binary is sound.
    EXPECT_EQ(WithReasonCodesOnly(add.err),
              NotAddedLine("C:\\Games\\B\\b.exe") + ReasonCode("0x8007000D"));
    ProcessResult remove = Run({"-del", "C:\\Games\\A\\a.exe"});
    EXPECT_EQ(WithReasonCodesOnly(remove.err),
              NotFoundLine("C:\\Games\\A\\a.exe") + ReasonCode("0x8007000D"));
    EXPECT_EQ(ReadBytes(HiveFile("HKEY_LOCAL_MACHINE")), corrupted);
}

// Whoever repairs a damaged registry file needs to know where it went wrong; the user's reason
// stays the invalid data.
TEST_F(EmulatedProgramTest, RefusedRegistryFileIsNamedWithItsLineInOneDiagnosticLine) {
    ASSERT_EQ(Run({"-del", "C:\\Games\\A\\a.exe"}).exitStatus, 0);
    WriteBytes(HiveFile("HKEY_LOCAL_MACHINE"),
               "\xFF\xFE" + ToUtf16Le(L"Windows Registry Editor Version 5.00\r\n\r\n"
                                      L"[HKEY_LOCAL_MACHINE\\Software]\r\n\"v\"=nonsense\r\n"));
    const ProcessResult remove = Run({"-del", "C:\\Games\\A\\a.exe"}, {{"BRACKENFOLD_DEBUG", "1"}});
    EXPECT_NE(WithReasonCodesOnly(remove.err).find(ReasonCode("0x8007000D")), std::string::npos)
        << remove.err;
    const std::string where = "debug error: " + HiveFile("HKEY_LOCAL_MACHINE").string() + ":4: ";
    std::size_t reported = 0;
    for (std::size_t at = remove.err.find(where); at != std::string::npos;
         at = remove.err.find(where, at + 1)) {
        ++reported;
    }
    EXPECT_EQ(reported, 1u) << remove.err;
}

// The demo game with one name of its resource tree changed, so that the loader no longer finds
// the type or the name Game Explorer looks for.
std::string DemoGameWithResourceName(const std::wstring& from, const std::wstring& to) {
    std::string game = DemoGame();
    const std::string utf16From = ToUtf16Le(from);
    game.replace(game.find(utf16From), utf16From.size(), ToUtf16Le(to));
    return game;
}

struct ReasonCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string failureAndReason;  // the lines on standard error
    std::map<std::string, std::string> environment = {};
};

// The task line of an MSI whose folder property ends in a backslash before the closing quote: the
// rest of the command line ran into it.
const std::string kRanOnTaskLine =
    "Play;C:\\Games\\Demo\\demo.exe;play;-data C:\\Star Hopper\\\" Help;x;support";

// The program's own reason for a task line that the command line's quoting broke, which shows the
// line as received.
std::string StrayQuoteReason(const std::string& line) {
    const std::wstring_view message = ProgramErrorMessageFor(kStrayQuoteInTaskLine);
    std::string text(message.begin(), message.end());  // ASCII
    text.replace(text.find("%1"), 2, line);
    return ReasonLine(text, "0xA0040003");
}

// A game path of 282 characters, as an installer's deep folder gives one.
const std::string kLongGamePath = "C:\\Games\\" + std::string(264, 'L') + "\\demo.exe";

// Each failure is followed by the system's message for its cause; a refused game is explained
// by what the loader finds wrong with its binary.
const ReasonCase kReasonCases[] = {
    {"MissingFile",
     {"-add", "all", "C:\\Games\\Demo\\missing.exe"},
     NotAddedLine("C:\\Games\\Demo\\missing.exe") +
         ReasonLine("The system cannot find the file specified.", "0x80070002")},
    {"MissingFolder",
     {"-add", "all", "C:\\Nowhere\\game.exe"},
     NotAddedLine("C:\\Nowhere\\game.exe") +
         ReasonLine("The system cannot find the path specified.", "0x80070003")},
    {"TextFileAsGame",
     {"-add", "all", "C:\\Games\\Text\\README.md"},
     NotAddedLine("C:\\Games\\Text\\README.md") +
         ReasonLine("C:\\Games\\Text\\README.md is not a valid Win32 application.", "0x800700C1")},
    {"NoDataResources",
     {"-add", "all", "C:\\Games\\NoType\\game.exe"},
     NotAddedLine("C:\\Games\\NoType\\game.exe") +
         ReasonLine("The specified resource type cannot be found in the image file.",
                    "0x80070715")},
    {"NoDefinitionResource",
     {"-add", "all", "C:\\Games\\NoName\\game.exe"},
     NotAddedLine("C:\\Games\\NoName\\game.exe") +
         ReasonLine("The specified resource name cannot be found in the image file.",
                    "0x80070716")},
    {"DefinitionRefused",
     {"-add", "all", "C:\\Games\\Refused\\game.exe"},
     NotAddedLine("C:\\Games\\Refused\\game.exe") + ReasonLine("Unspecified error", "0x80004005")},
    // Refused before Game Explorer reads it, as the definition of 4 GiB it claims would be.
    {"DefinitionClaimingFourGiB",
     {"-add", "all", "C:\\Games\\Huge\\game.exe"},
     NotAddedLine("C:\\Games\\Huge\\game.exe") +
         ReasonLine("The file size exceeds the limit allowed and cannot be saved.", "0x800700DF")},
    {"PathOfMaxPathCharactersOrMore",
     {"-add", "all", kLongGamePath},
     kLongGamePath + NotAddedLine("") +
         ReasonLine("The filename or extension is too long.", "0x800700CE")},
    {"ReservedTaskName",
     {"-add", "all", "C:\\Games\\Demo\\demo.exe", "COM1;C:\\Games\\Demo\\demo.exe;play"},
     TaskNotAddedLine("COM1") +
         ReasonLine("The filename, directory name, or volume label syntax is incorrect.",
                    "0x8007007B")},
    {"TaskLineThatTheCommandLineRanInto",
     {"-add", "all", "C:\\Games\\Demo\\demo.exe", kRanOnTaskLine},
     TaskNotAddedLine("Play") + StrayQuoteReason(kRanOnTaskLine)},
    // The game exists; what is missing is a place for the system.
    {"NoPlaceForTheSystem",
     {"-add", "all", "demo.exe"},
     NotAddedLine("demo.exe") +
         ReasonLine("The system could not find the environment option that was entered.",
                    "0x800700CB"),
     {{"XDG_DATA_HOME", "relative"}, {"HOME", ""}}},
    {"DeleteOfAGameNeverAdded",
     {"-del", "C:\\Games\\Never\\never.exe"},
     NotFoundLine("C:\\Games\\Never\\never.exe") + ReasonLine("Element not found.", "0x80070490")},
};

class EmulatedReasonTest : public EmulatedProgramTest,
                           public testing::WithParamInterface<ReasonCase> {};

TEST_P(EmulatedReasonTest, FailureLineIsFollowedByItsReason) {
    InstallDemoGame(System(), "C:\\Games\\Demo\\demo.exe");
    InstallDemoGame(System(), "C:\\Games\\Text\\README.md", "# A text file, not a game\n");
    InstallDemoGame(System(), "C:\\Games\\NoType\\game.exe",
                    DemoGameWithResourceName(L"DATA", L"DATX"));
    InstallDemoGame(System(), "C:\\Games\\NoName\\game.exe",
                    DemoGameWithResourceName(L"__GDF_XML", L"__GDF_XMX"));
    InstallDemoGame(System(), "C:\\Games\\Refused\\game.exe",
                    DemoGameWithDefinition("<GameDefinitionFile/>"));
    InstallDemoGame(System(), "C:\\Games\\Huge\\game.exe",
                    DemoGameClaimingDefinitionSize(0xFFFFFFFF));
    WriteBytes(work_.Path() / "demo.exe", DemoGame());
    const ProcessResult result = Run(GetParam().arguments, GetParam().environment);
    EXPECT_EQ(result.err, GetParam().failureAndReason);
    EXPECT_EQ(result.exitStatus, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, EmulatedReasonTest, testing::ValuesIn(kReasonCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace

// Where names keep their letter case (drive Z:, the host's), folders that differ only in case
// hold two games: each has its own GUID, and removing one leaves the other.
TEST_P(GameIdentityTest, GamesInFoldersThatDifferOnlyInCaseAreTwoGames) {
    std::vector<std::string> paths;
    for (const char* folder : {"Game", "GAME"}) {
        std::filesystem::create_directories(work_.Path() / folder);
        WriteBytes(work_.Path() / folder / "g.exe", DemoGame());
        paths.push_back(AsDriveZ(work_.Path() / folder / "g.exe"));
        ProcessResult added = Run({"-add", "all", paths.back(), "Play;" + paths.back() + ";play"});
        EXPECT_EQ(added.out, kExpectedBanner + TaskAddedLine("Play", 0) + DoneLine());
        EXPECT_EQ(added.err, "");
    }
    ASSERT_EQ(Registrations().size(), 2u);

    EXPECT_EQ(Run({"-del", paths[1]}).out,
              kExpectedBanner + RegistrationRemovedLines(paths[1]) + DoneLine());
    EXPECT_EQ(Registrations().size(), 1u);
    EXPECT_EQ(Run({"-del", paths[0]}).out,
              kExpectedBanner + RegistrationRemovedLines(paths[0]) + DoneLine());
}

// An uninstaller whose GUID names no record (a version that moved to -guid:) still removes the
// game registered at its path.
TEST_P(GameIdentityTest, ADeleteByAGuidRegisteredNowhereGoesOnByThePath) {
    const std::string exe = kExe;
    ASSERT_EQ(Run({"-add", "all", exe, "Play;" + exe + ";play"}).err, "");

    const ProcessResult removed = Run({"-exitcode", std::string("-guid:") + kGuid, "-del", exe});
    EXPECT_EQ(removed.out, kExpectedBanner + GuidObtainedLine(kGuid) +
                               RegistrationRemovedLines(exe) + DoneLine());
    EXPECT_EQ(removed.err, "");
    EXPECT_EQ(removed.exitStatus, 0);
    EXPECT_TRUE(Registrations().empty());
}
