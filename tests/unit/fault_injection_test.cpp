// Fault injection through the platform: every registration operation and both commands are run
// on a real emulated system once for each platform call they make, with that one call failing.
// Each run must end with the result that failure gives and the state it leaves (records,
// shortcut files), and with every object released, every string freed, COM uninitialised once
// per successful initialisation and every key, handle and listing given back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "emulated/shell/shell_link_reader.h"
#include "output/reason_line.h"
#include "registration/game_identity.h"
#include "registration/game_registration.h"
#include "registration/instance_lookup.h"
#include "registration/registration_listing.h"
#include "registration/task_listing.h"
#include "registration/task_shortcuts.h"
#include "support/console_capture.h"
#include "support/debug_capture.h"
#include "support/expected_output.h"
#include "support/faulting_system.h"
#include "support/reason_codes.h"
#include "support/text_lines.h"

namespace {

constexpr GUID kGameId = {
    0x9A5EA990, 0x3034, 0x4D6F, {0x91, 0x28, 0x01, 0xF3, 0xC6, 0x10, 0x22, 0xBC}};
const std::wstring kGameIdText = L"{9A5EA990-3034-4D6F-9128-01F3C61022BC}";
constexpr GUID kOtherId = {
    0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
const std::wstring kExe = L"C:\\Games\\Demo\\demo.exe";
const std::wstring kInstallDirectory = L"C:\\Games\\Demo";
const std::wstring kLocalTree =
    L"C:\\Users\\player\\AppData\\Local\\Microsoft\\Windows\\GameExplorer\\" + kGameIdText;
const std::wstring kCommonTree =
    L"C:\\ProgramData\\Microsoft\\Windows\\GameExplorer\\" + kGameIdText;

// What the double returns for an injected failure.
constexpr HRESULT kInjected = E_FAIL;
constexpr HRESULT kInjectedWin32 = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);

// ---- Systems ----------------------------------------------------------------------------------
// Each arranged with the program's own operations before the double starts counting.

using Arrangement = std::function<void(FaultingSystem&)>;

void GameOnDisk(FaultingSystem& system) {
    system.PutFile(kExe);
    system.PutFile(L"C:\\Games\\Demo\\manual.pdf", "manual");
}

void WithoutGameExplorer(FaultingSystem& system) {
    GameOnDisk(system);
    system.RemoveGameExplorer();
}

// The game registered for all users, with a play task in each scope's tree.
void RegisteredGame(FaultingSystem& system) {
    GameOnDisk(system);
    ASSERT_EQ(RegisterGame(kExe.c_str(), kInstallDirectory.c_str(), GIS_ALL_USERS, kGameId), S_OK);
    for (int scope : {GIS_CURRENT_USER, GIS_ALL_USERS}) {
        ASSERT_EQ(CreateGameTask(scope, kGameId, TaskKind::Play, 0, L"Play", kExe.c_str(), nullptr),
                  S_OK);
    }
}

// The same where Game Explorer is missing: the game is in the all users' upgrade keys.
void RegisteredWithoutGameExplorer(FaultingSystem& system) {
    WithoutGameExplorer(system);
    ASSERT_EQ(RegisterGame(kExe.c_str(), kInstallDirectory.c_str(), GIS_ALL_USERS, kGameId), S_OK);
}

// A registered game with a play task (with arguments) and a support task with a web address.
void GameWithTasks(FaultingSystem& system) {
    RegisteredGame(system);
    ASSERT_EQ(CreateGameTask(GIS_CURRENT_USER, kGameId, TaskKind::Play, 0, L"Play", kExe.c_str(),
                             L"-windowed"),
              S_OK);
    ASSERT_EQ(CreateGameTask(GIS_CURRENT_USER, kGameId, TaskKind::Support, 0, L"Home page",
                             L"https://example.com/", nullptr),
              S_OK);
}

// ---- What a run leaves ------------------------------------------------------------------------

bool Same(const GUID& a, const GUID& b) {
    return IsEqualGUID(a, b) != 0;
}

// Every record of a game: (Game Explorer's or an upgrade key, scope).
std::vector<std::pair<bool, int>> Records() {
    std::vector<std::pair<bool, int>> records;
    for (const RegistrationRecord& record : ListRegistrations()) {
        records.emplace_back(record.gameExplorerRecord, record.scope);
    }
    return records;
}

// The shortcut files below a task tree.
std::vector<std::filesystem::path> ShortcutsBelow(const FaultingSystem& system,
                                                  const std::wstring& tree) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    const std::filesystem::path root = system.HostPath(tree);
    if (std::filesystem::exists(root)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
    }
    return files;
}

// ---- Running an operation ---------------------------------------------------------------------

using Operation = std::function<HRESULT(GUID& gameId)>;
using Effects = std::function<void(FaultingSystem&, const GUID& gameId)>;

// The result that a failure of the injected call gives, recognised by the start of the call's log
// line (the first entry that matches counts), with what else must hold afterwards.
struct Expectation {
    std::string injectedCall;
    HRESULT result;
    Effects effects;
};

struct OperationCase {
    const char* name;
    Arrangement arrange;
    GUID gameId;  // what the operation's GUID starts as
    Operation operation;
    std::vector<Expectation> expectations;
    Effects cleanEffects;  // what the run leaves when nothing fails
};

void PrintTo(const OperationCase& c, std::ostream* out) {
    *out << c.name;
}

const Expectation* Find(const std::vector<Expectation>& expectations, const std::string& call) {
    for (const Expectation& expectation : expectations) {
        if (call.starts_with(expectation.injectedCall)) {
            return &expectation;
        }
    }
    return nullptr;
}

// ---- Effects ----------------------------------------------------------------------------------

Effects GameIdIs(const GUID& expected) {
    return [expected](FaultingSystem&, const GUID& gameId) {
        EXPECT_TRUE(Same(gameId, expected)) << LogGuid(gameId);
    };
}
Effects NoRecord() {
    return [](FaultingSystem&, const GUID&) { EXPECT_TRUE(Records().empty()); };
}
// Exactly one record, of the kind and scope given, under the GUID the operation reports.
Effects OneRecord(bool gameExplorer, int scope, std::optional<GUID> id = std::nullopt) {
    return [=](FaultingSystem&, const GUID& gameId) {
        const std::vector<RegistrationRecord> records = ListRegistrations();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].gameExplorerRecord, gameExplorer);
        EXPECT_EQ(records[0].scope, scope);
        EXPECT_TRUE(Same(records[0].gameId, id.value_or(gameId)));
        EXPECT_EQ(records[0].path, kExe);
    };
}
Effects NoShortcutSaved() {
    return [](FaultingSystem& system, const GUID&) {
        EXPECT_TRUE(ShortcutsBelow(system, kLocalTree).empty());
        EXPECT_TRUE(ShortcutsBelow(system, kCommonTree).empty());
    };
}
// One shortcut to the game, with the working folder given or none.
Effects OneShortcut(const std::wstring& workingDirectory) {
    return [workingDirectory](FaultingSystem& system, const GUID&) {
        std::vector<std::filesystem::path> files = ShortcutsBelow(system, kLocalTree);
        const std::vector<std::filesystem::path> common = ShortcutsBelow(system, kCommonTree);
        files.insert(files.end(), common.begin(), common.end());
        ASSERT_EQ(files.size(), 1u);
        std::ifstream in(files[0], std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        const auto link = ReadShellLinkBytes(bytes);
        ASSERT_TRUE(link.has_value());
        EXPECT_EQ(link->localPath, kExe);
        EXPECT_EQ(link->workingDirectory, workingDirectory);
    };
}
Effects TreesLeft(int expected) {
    return [expected](FaultingSystem& system, const GUID&) {
        EXPECT_EQ(std::filesystem::exists(system.HostPath(kLocalTree)) +
                      std::filesystem::exists(system.HostPath(kCommonTree)),
                  expected);
    };
}
Effects Both(Effects first, Effects second) {
    return [=](FaultingSystem& system, const GUID& gameId) {
        first(system, gameId);
        second(system, gameId);
    };
}

// ---- Operations ---------------------------------------------------------------------------------

HRESULT Register(int scope, GUID& gameId) {
    return RegisterGame(kExe.c_str(), kInstallDirectory.c_str(), scope, gameId);
}

std::vector<Expectation> RegisterThroughGameExplorer(int scope) {
    const Effects registered = OneRecord(true, scope);
    return {
        {"SysAllocString", E_OUTOFMEMORY, NoRecord()},
        // COM may be set up on the thread already; the operation goes on without uninitialising.
        {"CoInitialize", S_OK, registered},
        // Not created: the game is recorded in the upgrade keys instead.
        {"CoCreateInstance", S_OK, OneRecord(false, scope)},
        // The definition's size cannot be told: Game Explorer reads the binary itself.
        {"LoadLibraryExW", S_OK, registered},
        {"FindResourceW", S_OK, registered},
        {"SizeofResource", S_OK, registered},
        {"IGameExplorer::VerifyAccess", kInjected, NoRecord()},
        {"IGameExplorer::AddGame", kInjected, NoRecord()},
    };
}

std::vector<Expectation> RegisterInUpgradeKeys(int scope, const GUID& startingGameId) {
    std::vector<Expectation> expectations = {
        {"SysAllocString", E_OUTOFMEMORY, NoRecord()},
        {"CoInitialize", S_OK, OneRecord(false, scope)},
        {"CoCreateInstance", S_OK, OneRecord(false, scope)},
        // A key or a value that cannot be written: a game that would never be found is not
        // added, and the GUID is the one asked for or none.
        {"RegCreateKeyExW key", kInjectedWin32, NoRecord()},
        {"RegCreateKeyExW", kInjectedWin32, Both(NoRecord(), GameIdIs(startingGameId))},
        {"RegSetValueExW", kInjectedWin32, NoRecord()},
    };
    return expectations;
}

std::vector<Expectation> Unregister(bool gameExplorer) {
    const Effects removed = NoRecord();
    const Effects left = OneRecord(gameExplorer, GIS_ALL_USERS, kGameId);
    // The current user's SID names a place of Game Explorer's records, which Game Explorer cleans
    // itself where it is present; without Game Explorer that place, like any place that cannot
    // be read, may hold a record: a failure, though every other place is still cleaned.
    const HRESULT unnamedPlace = gameExplorer ? S_OK : kInjectedWin32;
    std::vector<Expectation> expectations = {
        {"CoInitialize", S_OK, removed},
        {"OpenProcessToken", unnamedPlace, removed},
        {"GetTokenInformation", unnamedPlace, removed},
        {"ConvertSidToStringSidW", unnamedPlace, removed},
    };
    // A record that cannot be read while looking for what is left is not there, as in the lookup.
    for (const char* place :
         {"HKLM Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\S-1-5-21-1-2-3-1001\\",
          "HKLM Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\Games\\",
          "HKCU Software\\Classes\\Software\\Microsoft\\Windows\\CurrentVersion\\"
          "GameUX\\GamesToFindOnWindowsUpgrade\\",
          "HKLM Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\"
          "GamesToFindOnWindowsUpgrade\\"}) {
        expectations.push_back({std::string("RegOpenKeyExW ") + place + "{", S_OK, removed});
    }
    if (!gameExplorer) {
        // The place that holds the game's key cannot be opened to delete it: the record stays.
        expectations.push_back(
            {"RegOpenKeyExW HKLM Software\\Microsoft\\Windows\\CurrentVersion\\"
             "GameUX\\GamesToFindOnWindowsUpgrade",
             kInjectedWin32, left});
    }
    // A place that cannot be opened to delete the record from may hold it.
    expectations.push_back({"RegOpenKeyExW", kInjectedWin32, removed});
    if (gameExplorer) {
        // Not created: its records' keys go instead.
        expectations.push_back({"CoCreateInstance", S_OK, removed});
        expectations.push_back({"IGameExplorer::RemoveGame", kInjected, left});
    } else {
        expectations.push_back({"CoCreateInstance", S_OK, removed});
        // A key that stays is a failure.
        expectations.push_back({"RegDeleteTreeW", kInjectedWin32, left});
    }
    return expectations;
}

std::vector<Expectation> FindInstanceId(const GUID& startingGameId) {
    const Effects found = GameIdIs(kGameId);
    const Effects unchanged = GameIdIs(startingGameId);
    return {
        {"CoInitialize", S_OK, found},
        // Not examined: with the proxy's default security the query goes on.
        {"CoSetProxyBlanket", S_OK, found},
        // Each failure point gives the failing call's own result.
        {"CoCreateInstance", kInjected, unchanged},
        {"SysAllocString", E_OUTOFMEMORY, unchanged},
        {"IWbemLocator::ConnectServer", kInjected, unchanged},
        {"IWbemServices::ExecQuery", kInjected, unchanged},
        {"IEnumWbemClassObject::Next", kInjected, unchanged},
        {"IWbemClassObject::Get", kInjected, unchanged},
    };
}

std::vector<Expectation> CreateTask(bool withArguments) {
    std::vector<Expectation> expectations = {
        {"SHGetFolderPathW", kInjected, NoShortcutSaved()},
        // Whether a folder on the way is a link cannot be told: nothing is written.
        {"GetFileAttributesW", kInjectedWin32, NoShortcutSaved()},
        // A folder that cannot be made is the task's reason, before any shortcut object.
        {"SHCreateDirectoryExW", kInjectedWin32, NoShortcutSaved()},
        {"CoInitialize", S_OK, OneShortcut(kInstallDirectory + L"\\")},
        {"CoCreateInstance", kInjected, NoShortcutSaved()},
        // A setter that fails leaves no shortcut that would start something else.
        {"IShellLinkW::SetPath", kInjected, NoShortcutSaved()},
        // No full path: the shortcut gets no working folder rather than an undefined one.
        {"GetFullPathNameW", S_OK, OneShortcut(L"")},
        {"IShellLinkW::SetWorkingDirectory", kInjected, NoShortcutSaved()},
        {"IShellLinkW::QueryInterface", kInjected, NoShortcutSaved()},
        {"IPersistFile::Save", kInjected, NoShortcutSaved()},
    };
    if (withArguments) {
        expectations.push_back({"IShellLinkW::SetArguments", kInjected, NoShortcutSaved()});
    }
    return expectations;
}

std::vector<Expectation> RemoveTasks(bool treesExist) {
    const int trees = treesExist ? 2 : 0;
    std::vector<Expectation> expectations = {
        // Both folders are asked for before anything is deleted.
        {"SHGetFolderPathW", kInjected, TreesLeft(trees)},
        // Whether the folder is there cannot be told: a failure, the other folder still goes.
        {"GetFileAttributesW", kInjectedWin32, TreesLeft(trees == 0 ? 0 : 1)},
    };
    if (treesExist) {
        // A folder that cannot be listed whole, a shortcut that cannot be told to be the folder's
        // own, a shortcut or a folder that stays: a failure, and the other folder is still
        // removed.
        for (const char* call : {"FindFirstFileW", "FindNextFileW", "CreateFileW",
                                 "GetFinalPathNameByHandleW", "DeleteFileW", "RemoveDirectoryW"}) {
            expectations.push_back({call, kInjectedWin32, TreesLeft(1)});
        }
    }
    return expectations;
}

// What the last ListGameTasks run of a case found, for its effects to check.
std::vector<ListedTask> listedTasks;

std::vector<Expectation> ListTasks() {
    const Effects nothingListed = [](FaultingSystem&, const GUID&) {
        EXPECT_TRUE(listedTasks.empty());
    };
    const auto unreadTasks = [](std::size_t expected) -> Effects {
        return [expected](FaultingSystem&, const GUID&) {
            ASSERT_EQ(listedTasks.size(), 2u);
            EXPECT_EQ(static_cast<std::size_t>(std::count_if(
                          listedTasks.begin(), listedTasks.end(),
                          [](const ListedTask& task) { return task.target.empty(); })),
                      expected);
        };
    };
    return {
        {"SHGetFolderPathW", kInjected, nothingListed},
        // A folder that is there but cannot be listed whole would hide tasks.
        {"FindFirstFileW", kInjectedWin32, nothingListed},
        {"FindNextFileW", kInjectedWin32, nothingListed},
        // COM may be set up on the thread already: the shortcut is still read.
        {"CoInitialize", S_OK, unreadTasks(0)},
        // A shortcut that cannot be read is listed without its target, the other one whole.
        {"CoCreateInstance", S_OK, unreadTasks(1)},
        {"IShellLinkW::", S_OK, unreadTasks(1)},
        {"IUniformResourceLocatorW::", S_OK, unreadTasks(1)},
        {"IPersistFile::Load", S_OK, unreadTasks(1)},
    };
}

Operation CreateTaskOperation(int scope, TaskKind kind, const wchar_t* arguments) {
    return [=](GUID& gameId) {
        return CreateGameTask(scope, gameId, kind, 3, L"Play", kExe.c_str(), arguments);
    };
}

const OperationCase kOperationCases[] = {
    {"RegisterGame_GameExplorer_AllUsers", GameOnDisk, kGameId,
     [](GUID& id) { return Register(GIS_ALL_USERS, id); },
     RegisterThroughGameExplorer(GIS_ALL_USERS), OneRecord(true, GIS_ALL_USERS, kGameId)},
    {"RegisterGame_GameExplorer_CurrentUser", GameOnDisk, kOtherId,
     [](GUID& id) { return Register(GIS_CURRENT_USER, id); },
     RegisterThroughGameExplorer(GIS_CURRENT_USER), OneRecord(true, GIS_CURRENT_USER, kOtherId)},
    {"RegisterGame_UpgradeKeys_CurrentUser", WithoutGameExplorer, kOtherId,
     [](GUID& id) { return Register(GIS_CURRENT_USER, id); },
     RegisterInUpgradeKeys(GIS_CURRENT_USER, kOtherId),
     OneRecord(false, GIS_CURRENT_USER, kOtherId)},
    {"RegisterGame_UpgradeKeys_AllUsers", WithoutGameExplorer, kGameId,
     [](GUID& id) { return Register(GIS_ALL_USERS, id); },
     RegisterInUpgradeKeys(GIS_ALL_USERS, kGameId), OneRecord(false, GIS_ALL_USERS, kGameId)},
    {"RemoveEveryRegistration_GameExplorer", RegisteredGame, kGameId,
     [](GUID& id) { return RemoveEveryRegistration(id); }, Unregister(true), NoRecord()},
    {"RemoveEveryRegistration_UpgradeKeys", RegisteredWithoutGameExplorer, kGameId,
     [](GUID& id) { return RemoveEveryRegistration(id); }, Unregister(false), NoRecord()},
    {"FindGameInstanceId_IntoGuid", RegisteredGame, kOtherId,
     [](GUID& id) { return FindGameInstanceId(kExe.c_str(), &id); }, FindInstanceId(kOtherId),
     GameIdIs(kGameId)},
    {"FindGameInstanceId_WithoutGuid",
     RegisteredGame,
     kOtherId,
     [](GUID&) { return FindGameInstanceId(kExe.c_str(), nullptr); },
     {{"CoInitialize", S_OK, nullptr},
      {"CoSetProxyBlanket", S_OK, nullptr},
      {"SysAllocString", E_OUTOFMEMORY, GameIdIs(kOtherId)},
      {"", kInjected, GameIdIs(kOtherId)}},
     GameIdIs(kOtherId)},
    {"CreateGameTask_AllUsers_PlayWithArguments", GameOnDisk, kGameId,
     CreateTaskOperation(GIS_ALL_USERS, TaskKind::Play, L"-windowed"), CreateTask(true),
     OneShortcut(kInstallDirectory + L"\\")},
    {"CreateGameTask_CurrentUser_SupportWithoutArguments", GameOnDisk, kGameId,
     CreateTaskOperation(GIS_CURRENT_USER, TaskKind::Support, nullptr), CreateTask(false),
     OneShortcut(kInstallDirectory + L"\\")},
    {"RemoveGameTasks_BothTreesExist", RegisteredGame, kGameId,
     [](GUID& id) { return RemoveGameTasks(id); }, RemoveTasks(true), TreesLeft(0)},
    {"RemoveGameTasks_NoTrees", GameOnDisk, kGameId, [](GUID& id) { return RemoveGameTasks(id); },
     RemoveTasks(false), TreesLeft(0)},
    {"ListGameTasks_PlayLinkAndSupportUrl", GameWithTasks, kGameId,
     [](GUID& id) { return ListGameTasks(GIS_CURRENT_USER, id, listedTasks); }, ListTasks(),
     [](FaultingSystem&, const GUID&) { EXPECT_EQ(listedTasks.size(), 2u); }},
};

struct OperationRun {
    HRESULT result = S_OK;
    GUID gameId = GUID_NULL;
    int calls = 0;
    std::string injectedCall;  // the log line of the call made to fail, if one was
};

// Runs the case on a fresh system, failing call failAt (0: none), and checks what it leaves.
OperationRun RunCase(const OperationCase& c, int failAt) {
    FaultingSystem system;
    c.arrange(system);
    system.StartCounting();
    system.FailCall(failAt);
    OperationRun run;
    run.gameId = c.gameId;
    run.result = c.operation(run.gameId);
    run.calls = system.CallCount();
    run.injectedCall = system.InjectedCall();
    EXPECT_TRUE(system.AccountsBalance());
    if (failAt == 0) {
        c.cleanEffects(system, run.gameId);
        return run;
    }
    EXPECT_FALSE(run.injectedCall.empty()) << "call " << failAt;
    SCOPED_TRACE("call " + std::to_string(failAt) + " failed: " + run.injectedCall);
    const Expectation* expectation = Find(c.expectations, run.injectedCall);
    if (expectation == nullptr) {
        // A call without a row of its own fails the operation with its own failure, as
        // seam/system_calls.def says the call fails.
        EXPECT_EQ(run.result, system.InjectedFailure()) << std::hex << run.result;
        return run;
    }
    EXPECT_EQ(run.result, expectation->result) << std::hex << run.result;
    if (expectation->effects) {
        expectation->effects(system, run.gameId);
    }
    return run;
}

class OperationFaultInjection : public testing::TestWithParam<OperationCase> {};

TEST_P(OperationFaultInjection, EveryFailingCallGivesItsResultAndBalancedAccounts) {
    const OperationCase& c = GetParam();
    const OperationRun clean = RunCase(c, 0);
    ASSERT_EQ(clean.result, S_OK) << "the case must succeed when nothing fails";
    ASSERT_GT(clean.calls, 0);

    std::vector<bool> used(c.expectations.size(), false);
    for (int n = 1; n <= clean.calls; ++n) {
        const OperationRun run = RunCase(c, n);
        if (const Expectation* expectation = Find(c.expectations, run.injectedCall)) {
            used[static_cast<std::size_t>(expectation - c.expectations.data())] = true;
        }
    }
    for (std::size_t i = 0; i < used.size(); ++i) {
        EXPECT_TRUE(used[i]) << "no call matched \"" << c.expectations[i].injectedCall << "\"";
    }
    RecordProperty("injection_points", clean.calls);
    std::cout << "[ injected ] " << c.name << ": " << clean.calls << " calls\n";
}

INSTANTIATE_TEST_SUITE_P(Operations, OperationFaultInjection, testing::ValuesIn(kOperationCases),
                         [](const auto& p) { return std::string(p.param.name); });

// ---- Commands ---------------------------------------------------------------------------------
// Each command is run once for every call it makes, with that call failing. What must hold is
// stated, not derived: the accounts balance; every failure line on the console has its copy on
// DebugErr and is followed by its reason line; and the outcome agrees with the lines, so that no
// failure is ever reported as success (the outcome an installer hears through -exitcode).

struct CommandCase {
    const char* name;
    Arrangement arrange;
    ArgumentList arguments;
};

void PrintTo(const CommandCase& c, std::ostream* out) {
    *out << c.name;
}

struct CommandRun {
    std::string out;
    std::string err;
    std::vector<std::string> debugErr;
    std::optional<AddOutcome> added;
    std::optional<DeleteOutcome> deleted;
    int calls = 0;
    std::size_t records = 0;    // of any game, after the run
    std::size_t shortcuts = 0;  // of any game, in either scope
    std::string injectedCall;
};

CommandRun RunCommand(const CommandCase& c, int failAt) {
    FaultingSystem system;
    c.arrange(system);
    system.StartCounting();
    system.FailCall(failAt);
    CommandRun run;
    {
        DebugCapture debug;
        ConsoleCapture console;
        const CommandLine line = ParseCommandLine(c.arguments);
        if (line.request.command == CommandKind::Add) {
            run.added = RunAddCommand(line.request);
        } else {
            run.deleted = RunDeleteCommand(line.request);
        }
        run.out = console.Out();
        run.err = WithReasonCodesOnly(console.Err());
        run.debugErr = WithReasonCodesOnly(debug.Channel(kDebugErr));
    }
    run.calls = system.CallCount();
    run.injectedCall = system.InjectedCall();
    EXPECT_TRUE(system.AccountsBalance());
    run.records = ListRegistrations().size();
    for (const wchar_t* tasks :
         {L"C:\\Users\\player\\AppData\\Local\\Microsoft\\Windows\\GameExplorer",
          L"C:\\ProgramData\\Microsoft\\Windows\\GameExplorer"}) {
        run.shortcuts += ShortcutsBelow(system, tasks).size();
    }
    return run;
}

const std::string kExeText = "C:\\Games\\Demo\\demo.exe";

int Count(const std::vector<std::string>& lines, const std::string& ending) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.size() >= ending.size() &&
               l.compare(l.size() - ending.size(), ending.size(), ending) == 0;
    }));
}

// The lines of cerr, each failure line followed by its reason, with what the outcome says.
void ExpectLinesAgreeWithOutcome(const CommandRun& run) {
    const std::vector<std::string> errors = LinesOf(run.err);
    EXPECT_EQ(run.debugErr, errors);
    for (std::size_t i = 0; i < errors.size(); ++i) {
        const bool failureLine = errors[i].find(" not ") != std::string::npos;
        if (failureLine) {
            ASSERT_LT(i + 1, errors.size()) << errors[i];
            EXPECT_TRUE(errors[i + 1].starts_with(kReasonLineStart)) << errors[i];
        }
    }
    const std::vector<std::string> lines = LinesOf(run.out);
    if (run.added) {
        const AddOutcome& added = *run.added;
        EXPECT_EQ(added.registered, Count(errors, kExeText + kNotAddedText) == 0);
        const int tasksAdded = Count(lines, kTaskAddedAtText + std::string("0")) +
                               Count(lines, kTaskAddedAtText + std::string("1"));
        EXPECT_EQ(added.tasksNotAdded, Count(errors, kNotAddedText) - (added.registered ? 0 : 1));
        EXPECT_EQ(added.oldTasksLeft, Count(errors, kTasksNotRemovedText) > 0);
        // The system agrees: each add starts on a system without games or tasks.
        EXPECT_EQ(added.registered, run.records > 0) << run.out << run.err;
        EXPECT_EQ(static_cast<std::size_t>(tasksAdded), run.shortcuts);
        // Everything as asked only when nothing failed.
        const bool everythingDone =
            added.registered && !added.oldTasksLeft && !added.cutShort && added.tasksNotAdded == 0;
        EXPECT_EQ(everythingDone, errors.empty());
    }
    if (run.deleted) {
        const DeleteOutcome& deleted = *run.deleted;
        const int registrationsRemoved =
            Count(lines, kRemovedText) - Count(lines, kTasksRemovedText);
        EXPECT_EQ(deleted.taskFoldersLeft, Count(errors, kTasksNotRemovedText) > 0);
        if (!deleted.registrationLeft && !deleted.taskFoldersLeft) {
            EXPECT_EQ(Count(errors, kNotRemovedText), 0);
        }
        if (deleted.registrationLeft) {
            EXPECT_GT(Count(errors, kNotRemovedText) + Count(errors, kNotFoundText), 0);
        }
        // The system agrees: a delete that removed the game and says nothing is left leaves no
        // record. (A record key that cannot be read is skipped by the lookup, as a stray key
        // must not block every uninstall; the game is then not found, not reported removed.)
        if (registrationsRemoved > 0 && !deleted.registrationLeft) {
            EXPECT_EQ(run.records, 0u) << run.out << run.err;
        }
    }
}

class CommandFaultInjection : public testing::TestWithParam<CommandCase> {};

TEST_P(CommandFaultInjection, EveryFailingCallIsReportedAndLeavesAccountsBalanced) {
    const CommandCase& c = GetParam();
    const CommandRun clean = RunCommand(c, 0);
    ASSERT_GT(clean.calls, 0);
    EXPECT_EQ(clean.err, "") << "the case must succeed when nothing fails";
    ExpectLinesAgreeWithOutcome(clean);
    for (int n = 1; n <= clean.calls; ++n) {
        const CommandRun run = RunCommand(c, n);
        SCOPED_TRACE("call " + std::to_string(n) + " failed: " + run.injectedCall);
        ExpectLinesAgreeWithOutcome(run);
    }
    RecordProperty("injection_points", clean.calls);
    std::cout << "[ injected ] " << c.name << ": " << clean.calls << " calls\n";
}

ArgumentList AddArguments(const std::wstring& scopeWord, bool withOption) {
    ArgumentList arguments = {L"prog"};
    if (withOption) {
        arguments.push_back(L"-guid:" + kGameIdText);
    }
    arguments.insert(arguments.end(),
                     {L"-add", scopeWord, kExe, L"Play;C:\\Games\\Demo\\demo.exe;play;-windowed",
                      L"Help;C:\\Games\\Demo\\manual.pdf;SUPPORT",
                      L"Safe;C:\\Games\\Demo\\demo.exe;play;-safe"});
    return arguments;
}

const CommandCase kCommandCases[] = {
    {"Add_AllUsers_GameExplorer", GameOnDisk, AddArguments(L"all", false)},
    {"Add_CurrentUser_GameExplorer_WithGuid", GameOnDisk, AddArguments(L"current", true)},
    {"Add_CurrentUser_UpgradeKeys", WithoutGameExplorer, AddArguments(L"Current", false)},
    {"Add_AllUsers_UpgradeKeys_WithGuid", WithoutGameExplorer, AddArguments(L"ALL", true)},
    {"Delete_ByPath_GameExplorer", RegisteredGame, {L"prog", L"-del", kExe}},
    {"Delete_ByPath_UpgradeKeys", RegisteredWithoutGameExplorer, {L"prog", L"-del", kExe}},
    {"Delete_WithGuid_GameExplorer",
     RegisteredGame,
     {L"prog", L"-guid:" + kGameIdText, L"-del", kExe}},
    {"Delete_WithGuid_UpgradeKeys",
     RegisteredWithoutGameExplorer,
     {L"prog", L"-guid:" + kGameIdText, L"-del", kExe}},
};

INSTANTIATE_TEST_SUITE_P(Commands, CommandFaultInjection, testing::ValuesIn(kCommandCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
