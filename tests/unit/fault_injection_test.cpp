// Fault injection through the platform: every registration operation and both commands are run
// once for each platform call they make, with that one call failing (and yielding no object or
// text where it would yield one). Each run must end with the result that failure gives, and with
// every object released, every string freed, COM uninitialised once per successful
// initialisation and every registry key closed.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "output/reason_line.h"
#include "registration/game_identity.h"
#include "registration/game_registration.h"
#include "registration/instance_lookup.h"
#include "registration/task_listing.h"
#include "registration/task_shortcuts.h"
#include "support/console_capture.h"
#include "support/debug_capture.h"
#include "support/expected_output.h"
#include "support/reason_codes.h"
#include "support/scripted_system.h"
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

// ---- Scripts ----------------------------------------------------------------------------------

using Script = std::function<void(SystemScript&)>;

// A healthy system with Game Explorer, where the lookup finds the game and both task trees exist.
void HealthySystem(SystemScript& script) {
    script.addGameLeaves = kGameId;
    script.wmiObjects = {{kGameIdText}};
    script.fileAttributes[kLocalTree] = FILE_ATTRIBUTE_DIRECTORY;
    script.fileAttributes[kCommonTree] = FILE_ATTRIBUTE_DIRECTORY;
    script.fileAttributes[kExe] = FILE_ATTRIBUTE_ARCHIVE;
}

// The same without Game Explorer (and so without its games namespace): registration takes the
// upgrade registry keys.
void SystemWithoutGameExplorer(SystemScript& script) {
    HealthySystem(script);
    script.createGameExplorer = REGDB_E_CLASSNOTREG;
    script.connectServer = WBEM_E_INVALID_NAMESPACE;
    script.createdGuid = kGameId;
}

// A system without Game Explorer on which the game was added for all users: a lookup by path
// finds its upgrade key.
void RegisteredWithoutGameExplorer(SystemScript& script) {
    SystemWithoutGameExplorer(script);
    const auto* path = reinterpret_cast<const BYTE*>(kExe.c_str());
    script.registry[std::wstring(L"hklm\\software\\microsoft\\windows\\currentversion\\gameux\\"
                                 L"gamestofindonwindowsupgrade\\") +
                    L"{9a5ea990-3034-4d6f-9128-01f3c61022bc}"][L"GDFBinaryPath"] =
        std::vector<BYTE>(path, path + (kExe.size() + 1) * sizeof(wchar_t));
}

// ---- Running an operation ---------------------------------------------------------------------

using Operation = std::function<HRESULT(GUID& gameId)>;

struct Outcome {
    HRESULT result = S_OK;
    GUID gameId = GUID_NULL;
    int calls = 0;
    std::string injectedCall;  // the log line of the call made to fail, if one was
};

// Runs operation on a fresh double with the script, failing call failAt (0: none).
Outcome RunAlone(const Script& script, const Operation& operation, const GUID& gameId, int failAt) {
    ScriptedSystem system;
    script(system.script);
    system.FailCall(failAt);
    Outcome outcome;
    outcome.gameId = gameId;
    outcome.result = operation(outcome.gameId);
    outcome.calls = system.CallCount();
    outcome.injectedCall = system.InjectedCall();
    EXPECT_TRUE(system.AccountsBalance());
    return outcome;
}

// ---- Operations ---------------------------------------------------------------------------------

// The result that a failure of the injected call gives, recognised by the start of the call's log
// line (the first entry that matches counts), with what else must hold afterwards.
struct Expectation {
    std::string injectedCall;
    HRESULT result;
    std::function<void(const ScriptedSystem&, const GUID& gameId)> effects;
};

struct OperationCase {
    const char* name;
    Script script;
    GUID gameId;  // what the operation's GUID starts as
    Operation operation;
    std::vector<Expectation> expectations;
};

void PrintTo(const OperationCase& c, std::ostream* out) {
    *out << c.name;
}

bool Same(const GUID& a, const GUID& b) {
    return IsEqualGUID(a, b) != 0;
}

const Expectation* Find(const std::vector<Expectation>& expectations, const std::string& call) {
    for (const Expectation& expectation : expectations) {
        if (call.compare(0, expectation.injectedCall.size(), expectation.injectedCall) == 0) {
            return &expectation;
        }
    }
    return nullptr;
}

// Effects shared by several cases.
auto GameIdIs(const GUID& expected) {
    return [expected](const ScriptedSystem&, const GUID& gameId) {
        EXPECT_TRUE(Same(gameId, expected)) << LogGuid(gameId);
    };
}
auto NothingWrittenToTheRegistry() {
    return [](const ScriptedSystem& system, const GUID&) {
        EXPECT_FALSE(system.Called("RegSetValueExW"));
    };
}
auto NoShortcutSaved() {
    return
        [](const ScriptedSystem& system, const GUID&) { EXPECT_TRUE(system.SavedLinks().empty()); };
}

HRESULT Register(int scope, GUID& gameId) {
    return RegisterGame(kExe.c_str(), kInstallDirectory.c_str(), scope, &gameId);
}

std::vector<Expectation> RegisterThroughGameExplorer(const GUID& leftInGameId) {
    return {
        {"SysAllocString", E_OUTOFMEMORY, NothingWrittenToTheRegistry()},
        // COM may be set up on the thread already; the operation goes on without uninitialising.
        {"CoInitialize", S_OK, GameIdIs(leftInGameId)},
        // Not created: the game is recorded in the upgrade keys instead.
        {"CoCreateInstance", S_OK,
         [](const ScriptedSystem& system, const GUID&) {
             EXPECT_TRUE(system.Called("RegSetValueExW"));
         }},
        // The definition's size cannot be told: Game Explorer reads the binary itself.
        {"LoadLibraryExW", S_OK, GameIdIs(leftInGameId)},
        {"FindResourceW", S_OK, GameIdIs(leftInGameId)},
        {"SizeofResource", S_OK, GameIdIs(leftInGameId)},
        {"IGameExplorer::VerifyAccess", kInjected, NothingWrittenToTheRegistry()},
        {"IGameExplorer::AddGame", kInjected, NothingWrittenToTheRegistry()},
    };
}

std::vector<Expectation> RegisterInUpgradeKeys(int scope, const GUID& startingGameId) {
    std::vector<Expectation> expectations = {
        {"SysAllocString", E_OUTOFMEMORY, NothingWrittenToTheRegistry()},
        {"CoInitialize", S_OK, GameIdIs(kGameId)},
        {"CoCreateInstance", S_OK, GameIdIs(kGameId)},
        // The parent key: the result is the registry's failure; gameId untouched.
        {scope == GIS_CURRENT_USER ? "RegCreateKeyExW HKCU" : "RegCreateKeyExW HKLM",
         kInjectedWin32, GameIdIs(startingGameId)},
        // The game's own key or its values: a game that would never be found is not added.
        {"RegCreateKeyExW HKEY(", kInjectedWin32, NothingWrittenToTheRegistry()},
        {"RegSetValueExW", kInjectedWin32, GameIdIs(kGameId)},
    };
    if (Same(startingGameId, GUID_NULL)) {
        // Nothing is written under an all-zero key.
        expectations.push_back({"CoCreateGuid", kInjected, NothingWrittenToTheRegistry()});
    }
    return expectations;
}

std::vector<Expectation> Unregister(bool gameExplorer) {
    // The current user's SID names a place of Game Explorer's records; without it that place is
    // skipped, as the lookup skips it.
    std::vector<Expectation> expectations = {
        {"CoInitialize", S_OK, nullptr},
        {"OpenProcessToken", S_OK, nullptr},
        {"GetTokenInformation", S_OK, nullptr},
        {"ConvertSidToStringSidW", S_OK, nullptr},
    };
    if (!gameExplorer) {
        // The place that holds the game's key cannot be opened to delete it: the record stays.
        expectations.push_back(
            {"RegOpenKeyExW HKLM Software\\Microsoft\\Windows\\CurrentVersion\\"
             "GameUX\\GamesToFindOnWindowsUpgrade ",
             HRESULT_FROM_WIN32(ERROR_OBJECT_ALREADY_EXISTS), nullptr});
    }
    expectations.push_back({"RegOpenKeyExW", S_OK, nullptr});
    if (gameExplorer) {
        // Not created: its records' keys and the upgrade keys go, of which there are none here.
        expectations.push_back(
            {"CoCreateInstance", S_FALSE, [](const ScriptedSystem& system, const GUID&) {
                 EXPECT_FALSE(system.Called("IGameExplorer::RemoveGame"));
             }});
        expectations.push_back({"IGameExplorer::RemoveGame", kInjected, nullptr});
    } else {
        expectations.push_back({"CoCreateInstance", S_OK, nullptr});
        // A key that stays is a failure.
        expectations.push_back({"RegDeleteTreeW", kInjectedWin32, nullptr});
    }
    return expectations;
}

std::vector<Expectation> FindInstanceId(const GUID& startingGameId) {
    const auto found = GameIdIs(kGameId);
    const auto unchanged = GameIdIs(startingGameId);
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
        {"SHGetFolderPathW", kInjected,
         [](const ScriptedSystem& system, const GUID&) {
             EXPECT_FALSE(system.Called("SHCreateDirectoryExW"));
             EXPECT_FALSE(system.Called("CoCreateInstance"));
         }},
        // A folder that cannot be made is the task's reason, before any shortcut object.
        {"SHCreateDirectoryExW", kInjectedWin32,
         [](const ScriptedSystem& system, const GUID&) {
             EXPECT_FALSE(system.Called("CoCreateInstance"));
         }},
        {"CoInitialize", S_OK, nullptr},
        {"CoCreateInstance", kInjected, NoShortcutSaved()},
        // A setter that fails leaves no shortcut that would start something else.
        {"IShellLinkW::SetPath", kInjected, NoShortcutSaved()},
        // No full path: the shortcut gets no working folder rather than an undefined one.
        {"GetFullPathNameW", S_OK,
         [](const ScriptedSystem& system, const GUID&) {
             EXPECT_FALSE(system.Called("IShellLinkW::SetWorkingDirectory"));
             ASSERT_EQ(system.SavedLinks().size(), 1u);
             EXPECT_FALSE(system.SavedLinks()[0].workingDirectory.has_value());
         }},
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
    const std::size_t deletions = treesExist ? 2 : 0;
    std::vector<Expectation> expectations = {
        // Both folders are asked for before anything is deleted.
        {"SHGetFolderPathW", kInjected,
         [](const ScriptedSystem& system, const GUID&) {
             EXPECT_FALSE(system.Called("SHFileOperationW"));
         }},
        // Whether the folder is there cannot be told: a failure, the other folder still goes.
        {"GetFileAttributesW", kInjectedWin32,
         [deletions](const ScriptedSystem& system, const GUID&) {
             EXPECT_EQ(system.CallsStartingWith("SHFileOperationW").size(),
                       deletions == 0 ? 0 : deletions - 1);
         }},
    };
    if (treesExist) {
        // An existing folder that stays is a failure, and the other folder is still attempted.
        expectations.push_back(
            {"SHFileOperationW", kInjectedWin32, [](const ScriptedSystem& system, const GUID&) {
                 EXPECT_EQ(system.CallsStartingWith("SHFileOperationW").size(), 2u);
             }});
    }
    return expectations;
}

// What the last ListGameTasks run of a case found, for its effects to check.
std::vector<ListedTask> listedTasks;

// A healthy system where the game has a play task and a support task with a web address.
void SystemWithTasks(SystemScript& script) {
    HealthySystem(script);
    script.shortcuts = {
        {kLocalTree + L"\\PlayTasks\\0\\Play.lnk", kExe, false, L"-windowed", std::nullopt},
        {kLocalTree + L"\\SupportTasks\\0\\Home page.url", L"https://example.com/", true,
         std::nullopt, std::nullopt},
    };
}

std::vector<Expectation> ListTasks() {
    const auto nothingListed = [](const ScriptedSystem&, const GUID&) {
        EXPECT_TRUE(listedTasks.empty());
    };
    const auto unreadTasks = [](std::size_t expected) {
        return [expected](const ScriptedSystem&, const GUID&) {
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
    {"RegisterGame_GameExplorer_AllUsers_NoGuid", HealthySystem, GUID_NULL,
     [](GUID& id) { return Register(GIS_ALL_USERS, id); }, RegisterThroughGameExplorer(kGameId)},
    {"RegisterGame_GameExplorer_CurrentUser_GivenGuid",
     [](SystemScript& script) {
         HealthySystem(script);
         script.addGameLeaves.reset();
     },
     kOtherId, [](GUID& id) { return Register(GIS_CURRENT_USER, id); },
     RegisterThroughGameExplorer(kOtherId)},
    {"RegisterGame_UpgradeKeys_CurrentUser_NoGuid", SystemWithoutGameExplorer, GUID_NULL,
     [](GUID& id) { return Register(GIS_CURRENT_USER, id); },
     RegisterInUpgradeKeys(GIS_CURRENT_USER, GUID_NULL)},
    {"RegisterGame_UpgradeKeys_AllUsers_GivenGuid", SystemWithoutGameExplorer, kGameId,
     [](GUID& id) { return Register(GIS_ALL_USERS, id); },
     RegisterInUpgradeKeys(GIS_ALL_USERS, kGameId)},
    {"RemoveEveryRegistration_GameExplorer", HealthySystem, kGameId,
     [](GUID& id) { return RemoveEveryRegistration(id); }, Unregister(true)},
    {"RemoveEveryRegistration_UpgradeKeys", RegisteredWithoutGameExplorer, kGameId,
     [](GUID& id) { return RemoveEveryRegistration(id); }, Unregister(false)},
    {"FindGameInstanceId_IntoGuid", HealthySystem, kOtherId,
     [](GUID& id) { return FindGameInstanceId(kExe.c_str(), &id); }, FindInstanceId(kOtherId)},
    {"FindGameInstanceId_WithoutGuid",
     HealthySystem,
     kOtherId,
     [](GUID&) { return FindGameInstanceId(kExe.c_str(), nullptr); },
     {{"CoInitialize", S_OK, nullptr},
      {"CoSetProxyBlanket", S_OK, nullptr},
      {"SysAllocString", E_OUTOFMEMORY, GameIdIs(kOtherId)},
      {"", kInjected, GameIdIs(kOtherId)}}},
    {"CreateGameTask_AllUsers_PlayWithArguments", HealthySystem, kGameId,
     CreateTaskOperation(GIS_ALL_USERS, TaskKind::Play, L"-windowed"), CreateTask(true)},
    {"CreateGameTask_CurrentUser_SupportWithoutArguments", HealthySystem, kGameId,
     CreateTaskOperation(GIS_CURRENT_USER, TaskKind::Support, nullptr), CreateTask(false)},
    {"RemoveGameTasks_BothTreesExist", HealthySystem, kGameId,
     [](GUID& id) { return RemoveGameTasks(id); }, RemoveTasks(true)},
    {"RemoveGameTasks_NoTrees",
     [](SystemScript& script) {
         HealthySystem(script);
         script.fileAttributes.clear();
     },
     kGameId, [](GUID& id) { return RemoveGameTasks(id); }, RemoveTasks(false)},
    {"ListGameTasks_PlayLinkAndSupportUrl", SystemWithTasks, kGameId,
     [](GUID& id) { return ListGameTasks(GIS_CURRENT_USER, id, listedTasks); }, ListTasks()},
};

class OperationFaultInjection : public testing::TestWithParam<OperationCase> {};

TEST_P(OperationFaultInjection, EveryFailingCallGivesItsResultAndBalancedAccounts) {
    const OperationCase& c = GetParam();
    const Outcome clean = RunAlone(c.script, c.operation, c.gameId, 0);
    ASSERT_EQ(clean.result, S_OK) << "the case must succeed when nothing fails";
    ASSERT_GT(clean.calls, 0);

    std::vector<bool> used(c.expectations.size(), false);
    for (int n = 1; n <= clean.calls; ++n) {
        ScriptedSystem system;
        c.script(system.script);
        system.FailCall(n);
        GUID gameId = c.gameId;
        const HRESULT result = c.operation(gameId);
        ASSERT_TRUE(system.InjectedFailureHappened()) << "call " << n;
        const std::string& call = system.InjectedCall();
        SCOPED_TRACE("call " + std::to_string(n) + " failed: " + call);
        const Expectation* expectation = Find(c.expectations, call);
        if (expectation == nullptr) {
            ADD_FAILURE() << "no expected result for this call";
            continue;
        }
        used[static_cast<std::size_t>(expectation - c.expectations.data())] = true;
        EXPECT_EQ(result, expectation->result) << std::hex << result;
        if (expectation->effects) {
            expectation->effects(system, gameId);
        }
        EXPECT_TRUE(system.AccountsBalance());
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
    Script script;
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
};

CommandRun RunCommand(const CommandCase& c, int failAt) {
    ScriptedSystem system;
    c.script(system.script);
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
    EXPECT_TRUE(system.AccountsBalance());
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
        EXPECT_EQ(added.tasksAdded, Count(lines, kTaskAddedAtText + std::string("0")) +
                                        Count(lines, kTaskAddedAtText + std::string("1")));
        EXPECT_EQ(added.tasksNotAdded, Count(errors, kNotAddedText) - (added.registered ? 0 : 1));
        EXPECT_EQ(added.oldTasksLeft, Count(errors, kTasksNotRemovedText) > 0);
        // Everything as asked only when nothing failed.
        const bool everythingDone =
            added.registered && !added.oldTasksLeft && !added.cutShort && added.tasksNotAdded == 0;
        EXPECT_EQ(everythingDone, errors.empty());
    }
    if (run.deleted) {
        const DeleteOutcome& deleted = *run.deleted;
        EXPECT_EQ(deleted.registrationsRemoved,
                  Count(lines, kRemovedText) - Count(lines, kTasksRemovedText));
        EXPECT_EQ(deleted.taskFoldersLeft, Count(errors, kTasksNotRemovedText) > 0);
        if (!deleted.registrationLeft && !deleted.taskFoldersLeft) {
            EXPECT_EQ(Count(errors, kNotRemovedText), 0);
        }
        if (deleted.registrationLeft) {
            EXPECT_GT(Count(errors, kNotRemovedText) + Count(errors, kNotFoundText), 0);
        }
    }
}

class CommandFaultInjection : public testing::TestWithParam<CommandCase> {};

TEST_P(CommandFaultInjection, EveryFailingCallIsReportedAndLeavesAccountsBalanced) {
    const CommandCase& c = GetParam();
    const CommandRun clean = RunCommand(c, 0);
    ASSERT_GT(clean.calls, 0);
    ExpectLinesAgreeWithOutcome(clean);
    for (int n = 1; n <= clean.calls; ++n) {
        SCOPED_TRACE("call " + std::to_string(n) + " failed");
        ExpectLinesAgreeWithOutcome(RunCommand(c, n));
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
    {"Add_AllUsers_GameExplorer", HealthySystem, AddArguments(L"all", false)},
    {"Add_CurrentUser_GameExplorer_WithGuid", HealthySystem, AddArguments(L"current", true)},
    {"Add_CurrentUser_UpgradeKeys", SystemWithoutGameExplorer, AddArguments(L"Current", false)},
    {"Add_AllUsers_UpgradeKeys_WithGuid", SystemWithoutGameExplorer, AddArguments(L"ALL", true)},
    {"Delete_ByPath_GameExplorer", HealthySystem, {L"prog", L"-del", kExe}},
    {"Delete_ByPath_UpgradeKeys", RegisteredWithoutGameExplorer, {L"prog", L"-del", kExe}},
    {"Delete_WithGuid_GameExplorer",
     HealthySystem,
     {L"prog", L"-guid:" + kGameIdText, L"-del", kExe}},
    {"Delete_WithGuid_UpgradeKeys",
     SystemWithoutGameExplorer,
     {L"prog", L"-guid:" + kGameIdText, L"-del", kExe}},
};

INSTANTIATE_TEST_SUITE_P(Commands, CommandFaultInjection, testing::ValuesIn(kCommandCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
