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
#include "registration/game_binary_check.h"
#include "registration/game_paths.h"
#include "registration/game_registration.h"
#include "registration/game_task_lock.h"
#include "registration/instance_lookup.h"
#include "registration/registered_game_lookup.h"
#include "registration/task_shortcuts.h"
#include "support/console_capture.h"
#include "support/debug_capture.h"
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

// What the system holds once the game is removed: nothing to find it by.
Script AfterRemoval(const Script& script) {
    return [script](SystemScript& removed) {
        script(removed);
        removed.wmiObjects.clear();
        removed.registry.clear();
    };
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
        // A place that cannot be read is skipped, as the lookup skips it: here the one that holds
        // the game's key, so nothing is removed.
        expectations.push_back(
            {"RegOpenKeyExW HKLM Software\\Microsoft\\Windows\\CurrentVersion\\"
             "GameUX\\GamesToFindOnWindowsUpgrade ",
             S_FALSE, nullptr});
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
    {"UnregisterGame_GameExplorer", HealthySystem, kGameId,
     [](GUID& id) { return UnregisterGame(id); }, Unregister(true)},
    {"UnregisterGame_UpgradeKeys", RegisteredWithoutGameExplorer, kGameId,
     [](GUID& id) { return UnregisterGame(id); }, Unregister(false)},
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

// The reason a command finds for a failure with result: the cause it reports, after the calls
// it makes for it.
using Explanation = std::function<HRESULT(HRESULT result)>;

// The reason line of every failure: the system's message for the result itself.
HRESULT MessageOf(HRESULT result) {
    SystemMessageFor(result, L"");
    return result;
}

// One operation of a command run, as the command makes it. explain: what the command does to
// report the operation's failure (nothing for a failure it does not report).
struct CommandStep {
    Operation operation;
    GUID gameId;
    Explanation explain = MessageOf;
    std::optional<Script> system = std::nullopt;  // the state it meets, when the command changed it
};

// The results of the operations a command makes when its call failAt fails: each operation is run
// alone, in order; the one that call falls in runs with its own call failing, the others clean.
// The same holds for the reason of each failure, found right after it. nextStep yields the
// operation that follows the outcomes so far, or none when the command ends.
struct StepResults {
    std::vector<Outcome> outcomes;  // one per operation made, in order
    std::vector<HRESULT> reasons;   // for each outcome, the cause reported for its failure
};

StepResults ModelCommand(
    const Script& script, int failAt,
    const std::function<std::optional<CommandStep>(const std::vector<Outcome>&)>& nextStep) {
    StepResults results;
    int remaining = failAt;
    const auto run = [&](const Script& system, const Operation& operation, const GUID& gameId) {
        const Outcome clean = RunAlone(system, operation, gameId, 0);
        const bool failsHere = remaining > 0 && remaining <= clean.calls;
        const Outcome outcome = failsHere ? RunAlone(system, operation, gameId, remaining) : clean;
        remaining = failsHere ? 0 : (remaining > 0 ? remaining - clean.calls : 0);
        return outcome;
    };
    while (std::optional<CommandStep> step = nextStep(results.outcomes)) {
        const Script& system = step->system ? *step->system : script;
        const Outcome outcome = run(system, step->operation, step->gameId);
        results.outcomes.push_back(outcome);
        results.reasons.push_back(outcome.result);
        if (FAILED(outcome.result) && step->explain) {
            const Explanation& explain = step->explain;
            results.reasons.back() =
                run(
                    system, [&](GUID&) { return explain(outcome.result); }, GUID_NULL)
                    .result;
        }
    }
    return results;
}

// The line that follows a failure line, reduced to its code (WithReasonCodesOnly).
std::string ReasonLine(HRESULT cause) {
    char code[sizeof "0x12345678"];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(cause));
    return ReasonCode(code);
}

std::string Narrow(const std::wstring& text) {
    return LogText(text.c_str());
}

struct CommandRun {
    std::string out;
    std::string err;
    std::vector<std::string> debugErr;
    int calls = 0;
};

struct CommandCase {
    const char* name;
    Script script;
    ArgumentList arguments;
    int commandIndex;
    GUID gameId;  // the run GUID the entry routine hands over
};

void PrintTo(const CommandCase& c, std::ostream* out) {
    *out << c.name;
}

CommandRun RunCommand(const CommandCase& c, bool add, int failAt) {
    ScriptedSystem system;
    c.script(system.script);
    system.FailCall(failAt);
    GUID gameId = c.gameId;
    CommandRun run;
    {
        DebugCapture debug;
        ConsoleCapture console;
        const CommandLine line = ParseCommandLine(c.arguments);
        EXPECT_TRUE(IsEqualGUID(line.request.gameId, gameId));
        if (add) {
            RunAddCommand(line.request);
        } else {
            RunDeleteCommand(line.request);
        }
        run.out = console.Out();
        run.err = WithReasonCodesOnly(console.Err());
        run.debugErr = WithReasonCodesOnly(debug.Channel(kDebugErr));
    }
    run.calls = system.CallCount();
    EXPECT_TRUE(system.AccountsBalance());
    return run;
}

// The task lines every add case carries: two play tasks, one support task, a line with too few
// fields and one with an empty name (both use no index and make no call).
struct TaskLine {
    const wchar_t* line;
    const wchar_t* name;  // null: the line is skipped
    bool isSupport;
    const wchar_t* path;
    const wchar_t* arguments;
};

const TaskLine kTaskLines[] = {
    {L"Play;C:\\Games\\Demo\\demo.exe;play;-windowed", L"Play", false, L"C:\\Games\\Demo\\demo.exe",
     L"-windowed"},
    {L"a;b", nullptr, false, nullptr, nullptr},
    {L"Help;C:\\Games\\Demo\\manual.pdf;SUPPORT", L"Help", true, L"C:\\Games\\Demo\\manual.pdf",
     nullptr},
    {L";C:\\x.exe;play", L"", false, nullptr, nullptr},
    {L"Safe;C:\\Games\\Demo\\demo.exe;play;-safe", L"Safe", false, L"C:\\Games\\Demo\\demo.exe",
     L"-safe"},
};

ArgumentList AddArguments(const std::wstring& scopeWord, bool withOption) {
    ArgumentList arguments = {L"prog"};
    if (withOption) {
        arguments.push_back(L"-guid:" + kGameIdText);
    }
    arguments.insert(arguments.end(), {L"-add", scopeWord, kExe});
    for (const TaskLine& task : kTaskLines) {
        arguments.push_back(task.line);
    }
    return arguments;
}

// The operations of an add, in the order the command makes them.
enum class AddStep {
    FullPath,
    PathLock,
    Lookup,
    Owner,
    EarlyLock,
    Register,
    Settle,
    LateLock,
    RemoveTasks,
    Task
};

// The console lines the add command gives when its operations have the results in model.
void ExpectedAddOutput(const CommandCase& c, int failAt, std::string& out, std::string& err) {
    const int scope =
        _wcsicmp(c.arguments[static_cast<std::size_t>(c.commandIndex) + 1].c_str(), L"current") == 0
            ? GIS_CURRENT_USER
            : GIS_ALL_USERS;
    const auto accepted = [] {
        std::vector<const TaskLine*> tasks;
        for (const TaskLine& task : kTaskLines) {
            if (task.name != nullptr && task.name[0] != L'\0') {
                tasks.push_back(&task);
            }
        }
        return tasks;
    }();
    // The steps: the full path; when no GUID was given, the path's lock, the lookup of an
    // earlier registration and whether that GUID's own records name the path; the GUID's task
    // lock when the GUID is known (a lock's failure only means the run goes on without it); the
    // registration; the lookup after it when it left no GUID; the task lock when not held yet;
    // the removal of earlier tasks; then one step per accepted task line. A lookup's failure is
    // reported by nothing.
    const bool lookUp = Same(c.gameId, GUID_NULL);
    std::vector<AddStep> steps;
    GameRecordPlace place;
    GUID reused = c.gameId;
    GUID registered = GUID_NULL;
    bool hasGameId = true;
    HRESULT gameIdFailure = S_OK;
    std::size_t firstTaskStep = 0;
    int counters[2] = {0, 0};
    const StepResults model = ModelCommand(
        c.script, failAt, [&](const std::vector<Outcome>& done) -> std::optional<CommandStep> {
            const auto next = [&](AddStep step) { steps.push_back(step); };
            if (done.empty()) {
                next(AddStep::FullPath);
            } else {
                const Outcome& last = done.back();
                switch (steps.back()) {
                    case AddStep::FullPath:
                        if (FAILED(last.result)) {
                            return std::nullopt;
                        }
                        next(lookUp ? AddStep::PathLock : AddStep::EarlyLock);
                        break;
                    case AddStep::PathLock:
                        next(AddStep::Lookup);
                        break;
                    case AddStep::Lookup:
                        next(FAILED(last.result) ? AddStep::EarlyLock : AddStep::Owner);
                        break;
                    case AddStep::Owner:
                        reused = last.result == S_OK ? done[done.size() - 2].gameId : GUID_NULL;
                        next(AddStep::EarlyLock);
                        break;
                    case AddStep::EarlyLock:
                        next(AddStep::Register);
                        break;
                    case AddStep::Register:
                        if (FAILED(last.result)) {
                            return std::nullopt;
                        }
                        registered = last.gameId;
                        next(Same(registered, GUID_NULL) ? AddStep::Settle : AddStep::LateLock);
                        break;
                    case AddStep::Settle:
                        registered = last.gameId;
                        hasGameId = SUCCEEDED(last.result);
                        gameIdFailure = last.result;
                        next(AddStep::LateLock);
                        break;
                    case AddStep::LateLock:
                        next(AddStep::RemoveTasks);
                        break;
                    case AddStep::RemoveTasks:
                    case AddStep::Task:
                        if (firstTaskStep == 0) {
                            firstTaskStep = done.size();
                        } else {
                            const TaskLine& previous = *accepted[done.size() - firstTaskStep - 1];
                            counters[previous.isSupport] += SUCCEEDED(last.result) ? 1 : 0;
                        }
                        if (done.size() >= firstTaskStep + accepted.size()) {
                            return std::nullopt;
                        }
                        next(AddStep::Task);
                        break;
                }
            }
            switch (steps.back()) {
                case AddStep::FullPath:
                    return CommandStep{[](GUID&) {
                                           std::wstring full;
                                           return FullPathOf(kExe, full);
                                       },
                                       c.gameId};
                case AddStep::PathLock:
                    return CommandStep{[](GUID&) { return GameTaskLock(kExe).Result(); }, c.gameId,
                                       nullptr};
                case AddStep::Lookup:
                    return CommandStep{[&place](GUID& id) {
                                           return FindRegisteredGame(kExe.c_str(), &id, &place);
                                       },
                                       c.gameId, nullptr};
                case AddStep::Owner:
                    return CommandStep{
                        [&place](GUID& id) {
                            return FoundGameOwnsPath(kExe.c_str(), id, place) ? S_OK : S_FALSE;
                        },
                        done.back().gameId, nullptr};
                case AddStep::EarlyLock:
                    return CommandStep{
                        [scope](GUID& id) {
                            return Same(id, GUID_NULL) ? S_OK : GameTaskLock(scope, id).Result();
                        },
                        reused, nullptr};
                case AddStep::Register:
                    // A refused game is explained by its binary, when that is at fault.
                    return CommandStep{
                        [scope](GUID& id) { return Register(scope, id); }, reused,
                        [](HRESULT result) {
                            return MessageOf(RegistrationFailureCause(kExe.c_str(), result));
                        }};
                case AddStep::Settle:
                    return CommandStep{
                        [](GUID& id) { return FindRegisteredGame(kExe.c_str(), &id); }, registered,
                        nullptr};
                case AddStep::LateLock:
                    return CommandStep{
                        [scope, held = !Same(reused, GUID_NULL), withGuid = hasGameId](GUID& id) {
                            return held || !withGuid ? S_OK : GameTaskLock(scope, id).Result();
                        },
                        registered, nullptr};
                case AddStep::RemoveTasks:
                    return CommandStep{[scope, withGuid = hasGameId](GUID& id) {
                                           return withGuid ? RemoveScopeTasks(scope, id) : S_OK;
                                       },
                                       registered};
                case AddStep::Task: {
                    const TaskLine& task = *accepted[done.size() - firstTaskStep];
                    const int index = counters[task.isSupport];
                    // Without a GUID a task is refused before any call, for the lookup's reason.
                    return CommandStep{
                        [scope, &task, index, withGuid = hasGameId,
                         noGuid = gameIdFailure](GUID& id) {
                            return withGuid
                                       ? CreateGameTask(
                                             scope, id,
                                             task.isSupport ? TaskKind::Support : TaskKind::Play,
                                             index, task.name, task.path, task.arguments)
                                       : noGuid;
                        },
                        registered};
                }
            }
            return std::nullopt;
        });

    out.clear();
    err.clear();
    const auto registerAt = std::find(steps.begin(), steps.end(), AddStep::Register);
    const std::size_t registerStep = static_cast<std::size_t>(registerAt - steps.begin());
    if (registerStep >= model.outcomes.size() || FAILED(model.outcomes[registerStep].result)) {
        err = Narrow(kExe) + " not added.\n" + ReasonLine(model.reasons.back());
        return;
    }
    if (FAILED(model.outcomes[firstTaskStep - 1].result)) {
        err = Narrow(kExe) + " tasks not removed.\n" + ReasonLine(model.reasons[firstTaskStep - 1]);
    }
    int index[2] = {0, 0};
    std::size_t next = firstTaskStep;
    for (const TaskLine& task : kTaskLines) {
        if (task.name == nullptr) {
            err += "Task line skipped because of too few parameters: " + Narrow(task.line) + "\n";
            continue;
        }
        if (task.name[0] == L'\0') {
            out += "Task name is empty\n";
            continue;
        }
        const std::size_t step = next++;
        if (SUCCEEDED(model.outcomes[step].result)) {
            out += "task " + Narrow(task.name) + " added at " +
                   std::to_string(index[task.isSupport]++) + "\n";
        } else {
            err += "task " + Narrow(task.name) + " not added.\n" + ReasonLine(model.reasons[step]);
        }
    }
}

// The operations of a delete, in the order the command makes them.
enum class DeleteStep {
    FullPath,
    PathLock,
    Lookup,
    Owner,
    CurrentUserLock,
    AllUsersLock,
    Tasks,
    Unregister,
    StaleRecord,
    LookupAgain
};

void ExpectedDeleteOutput(const CommandCase& c, int failAt, std::string& out, std::string& err) {
    // The steps: without a GUID the full path, the path's lock (whose failure only means going
    // on without it) and the lookup; then rounds that remove what was found: whether the GUID's
    // own records name the path, then either the game's two task locks, the removal of the tasks
    // and of the registration, or the stale record alone; each followed, without a GUID and when
    // the removal did not fail, by a lookup of what is left.
    const bool lookUp = Same(c.gameId, GUID_NULL);
    std::vector<DeleteStep> steps;
    GameRecordPlace place;
    Script lookupSystem = c.script;
    const auto lookupStep = [&place](const GUID& gameId, const Script& system) {
        return CommandStep{
            [&place](GUID& id) { return FindRegisteredGame(kExe.c_str(), &id, &place); }, gameId,
            nullptr, system};
    };
    const StepResults model = ModelCommand(
        c.script, failAt, [&](const std::vector<Outcome>& done) -> std::optional<CommandStep> {
            const auto next = [&](DeleteStep step) { steps.push_back(step); };
            GUID gameId = c.gameId;
            for (std::size_t i = 0; i < done.size(); ++i) {
                if (steps[i] == DeleteStep::Lookup || steps[i] == DeleteStep::LookupAgain) {
                    gameId = done[i].gameId;
                }
            }
            if (done.empty()) {
                next(lookUp ? DeleteStep::FullPath : DeleteStep::CurrentUserLock);
            } else {
                const HRESULT last = done.back().result;
                switch (steps.back()) {
                    case DeleteStep::FullPath:
                        next(DeleteStep::PathLock);
                        break;
                    case DeleteStep::PathLock:
                        next(DeleteStep::Lookup);
                        break;
                    case DeleteStep::Lookup:
                    case DeleteStep::LookupAgain:
                        if (FAILED(last)) {
                            return std::nullopt;
                        }
                        next(DeleteStep::Owner);
                        break;
                    case DeleteStep::Owner:
                        next(last == S_OK ? DeleteStep::CurrentUserLock : DeleteStep::StaleRecord);
                        break;
                    case DeleteStep::CurrentUserLock:
                        next(DeleteStep::AllUsersLock);
                        break;
                    case DeleteStep::AllUsersLock:
                        next(DeleteStep::Tasks);
                        break;
                    case DeleteStep::Tasks:
                        next(DeleteStep::Unregister);
                        break;
                    case DeleteStep::Unregister:
                    case DeleteStep::StaleRecord:
                        if (!lookUp || FAILED(last)) {
                            return std::nullopt;
                        }
                        // A removal that removed nothing (it could not reach Game Explorer, or
                        // could not read the place of the key) leaves the system as it was.
                        lookupSystem = last == S_OK ? AfterRemoval(c.script) : c.script;
                        next(DeleteStep::LookupAgain);
                        break;
                }
            }
            switch (steps.back()) {
                case DeleteStep::FullPath:
                    return CommandStep{[](GUID&) {
                                           std::wstring full;
                                           return FullPathOf(kExe, full);
                                       },
                                       gameId, nullptr};
                case DeleteStep::PathLock:
                    return CommandStep{[](GUID&) { return GameTaskLock(kExe).Result(); }, gameId,
                                       nullptr};
                case DeleteStep::Lookup:
                    return lookupStep(gameId, c.script);
                case DeleteStep::LookupAgain:
                    return lookupStep(gameId, lookupSystem);
                case DeleteStep::Owner:
                    return CommandStep{
                        [&place](GUID& id) {
                            return FoundGameOwnsPath(kExe.c_str(), id, place) ? S_OK : S_FALSE;
                        },
                        gameId, nullptr, lookupSystem};
                case DeleteStep::CurrentUserLock:
                    return CommandStep{
                        [](GUID& id) { return GameTaskLock(GIS_CURRENT_USER, id).Result(); },
                        gameId};
                case DeleteStep::AllUsersLock:
                    return CommandStep{
                        [](GUID& id) { return GameTaskLock(GIS_ALL_USERS, id).Result(); }, gameId};
                case DeleteStep::Tasks:
                    return CommandStep{[](GUID& id) { return RemoveGameTasks(id); }, gameId};
                case DeleteStep::Unregister:
                    return CommandStep{[](GUID& id) { return UnregisterGame(id); }, gameId};
                case DeleteStep::StaleRecord:
                    return CommandStep{[&place](GUID& id) { return DeleteGameRecord(place, id); },
                                       gameId, MessageOf, lookupSystem};
            }
            return std::nullopt;
        });

    out.clear();
    err.clear();
    const std::string path = Narrow(kExe);
    for (std::size_t i = 0; i < model.outcomes.size(); ++i) {
        const HRESULT result = model.outcomes[i].result;
        switch (steps[i]) {
            case DeleteStep::Lookup:
                if (FAILED(result)) {
                    err = path + " not removed. Cannot retrieve information\n" +
                          ReasonLine(model.reasons[i]);
                }
                break;
            case DeleteStep::Tasks:
                if (SUCCEEDED(result)) {
                    out += path + " tasks removed.\n";
                } else {
                    err += path + " tasks not removed.\n" + ReasonLine(model.reasons[i]);
                }
                break;
            case DeleteStep::Unregister:
            case DeleteStep::StaleRecord:
                if (result == S_OK) {
                    out += path + " removed.\n";
                } else if (FAILED(result)) {
                    err += path + " not removed. Cannot remove\n" + ReasonLine(model.reasons[i]);
                }
                break;
            default:
                break;
        }
    }
}

class CommandFaultInjection : public testing::TestWithParam<CommandCase> {
  protected:
    void RunEveryInjection(bool add) {
        const CommandCase& c = GetParam();
        const CommandRun clean = RunCommand(c, add, 0);
        std::string out, err;
        (add ? ExpectedAddOutput : ExpectedDeleteOutput)(c, 0, out, err);
        ASSERT_EQ(err, clean.err) << "the case must succeed when nothing fails";
        ASSERT_EQ(clean.out, out);

        for (int n = 1; n <= clean.calls; ++n) {
            SCOPED_TRACE("call " + std::to_string(n) + " failed");
            (add ? ExpectedAddOutput : ExpectedDeleteOutput)(c, n, out, err);
            const CommandRun run = RunCommand(c, add, n);
            EXPECT_EQ(run.out, out);
            EXPECT_EQ(run.err, err);
            // Every failure line on the console has its copy on DebugErr, in order.
            EXPECT_EQ(run.debugErr, LinesOf(run.err));
        }
        RecordProperty("injection_points", clean.calls);
        std::cout << "[ injected ] " << c.name << ": " << clean.calls << " calls\n";
    }
};

class AddCommandFaultInjection : public CommandFaultInjection {};
class DeleteCommandFaultInjection : public CommandFaultInjection {};

TEST_P(AddCommandFaultInjection, EveryFailingCallGivesTheOutcomeLinesAndBalancedAccounts) {
    RunEveryInjection(true);
}

TEST_P(DeleteCommandFaultInjection, EveryFailingCallGivesTheOutcomeLinesAndBalancedAccounts) {
    RunEveryInjection(false);
}

const CommandCase kAddCases[] = {
    {"AllUsers_GameExplorer", HealthySystem, AddArguments(L"all", false), 1, GUID_NULL},
    {"CurrentUser_GameExplorer_WithGuid", HealthySystem, AddArguments(L"current", true), 2,
     kGameId},
    {"CurrentUser_UpgradeKeys", SystemWithoutGameExplorer, AddArguments(L"Current", false), 1,
     GUID_NULL},
    {"AllUsers_UpgradeKeys_WithGuid", SystemWithoutGameExplorer, AddArguments(L"ALL", true), 2,
     kGameId},
};

const CommandCase kDeleteCases[] = {
    {"ByPath_GameExplorer", HealthySystem, {L"prog", L"-del", kExe}, 1, GUID_NULL},
    {"ByPath_UpgradeKeys",
     RegisteredWithoutGameExplorer,
     {L"prog", L"-del", kExe, L"ignored"},
     1,
     GUID_NULL},
    {"WithGuid_GameExplorer",
     HealthySystem,
     {L"prog", L"-guid:" + kGameIdText, L"-del", kExe},
     2,
     kGameId},
    {"WithGuid_UpgradeKeys",
     SystemWithoutGameExplorer,
     {L"prog", L"-guid:" + kGameIdText, L"-del", kExe},
     2,
     kGameId},
};

INSTANTIATE_TEST_SUITE_P(Commands, AddCommandFaultInjection, testing::ValuesIn(kAddCases),
                         [](const auto& p) { return std::string(p.param.name); });
INSTANTIATE_TEST_SUITE_P(Commands, DeleteCommandFaultInjection, testing::ValuesIn(kDeleteCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
