// The add command: registers the game, then turns each task line into a task shortcut.
#include <iostream>
#include <optional>

#include "commands.h"
#include "game_identity.h"
#include "out_of_memory.h"
#include "output/debug_streams.h"
#include "output/message_line.h"
#include "output/reason_line.h"
#include "registration/game_binary_check.h"
#include "registration/game_paths.h"
#include "registration/game_registration.h"
#include "registration/game_task_lock.h"
#include "registration/task_shortcuts.h"
#include "task_line.h"
#include "usage.h"

namespace {

constexpr wchar_t kCurrentUserScopeWord[] = L"current";

// Elements after the command word: scope word, executable path, then the task lines.
constexpr std::size_t kScopeOffset = 1;
constexpr std::size_t kExecutablePathOffset = 2;
constexpr std::size_t kFirstTaskLineOffset = 3;

// Each kind of task numbers its shortcuts 0, 1, 2 ... without gaps: a counter moves on only
// after a shortcut of its kind was created.
struct TaskCounters {
    int play = 0;
    int support = 0;

    int& For(bool isSupport) { return isSupport ? support : play; }
};

// gameId is null when the game has no GUID to keep tasks under: each task is then not added, as
// the system fails a call with an argument it cannot use.
void AddTask(const std::wstring& line, int scope, const GUID* gameId, TaskCounters& counters) {
    WriteLine(DebugOut(), "Task line: ", line);
    const std::optional<TaskSpec> task = ParseTaskLine(line);
    if (!task) {
        // Shown on the console: an installer author who gets the line wrong must see it.
        WriteLineWithCopy(std::cerr, DebugErr(),
                          "Task line skipped because of too few parameters: ", line);
        return;
    }
    if (task->name.empty()) {
        WriteLine(std::cout, "Task name is empty");
        WriteLine(DebugOut(), "Task name is empty. Skipped");
        return;
    }
    int& counter = counters.For(task->isSupport);
    const wchar_t* arguments = task->arguments.empty() ? nullptr : task->arguments.c_str();
    const HRESULT result = gameId == nullptr ? E_INVALIDARG : UnlessOutOfMemory([&] {
        return CreateGameTask(scope, *gameId, task->isSupport ? 1 : 0, counter, task->name.c_str(),
                              task->path.c_str(), arguments);
    });
    if (FAILED(result)) {
        WriteLineWithCopy(std::cerr, DebugErr(), "task ", task->name, " not added.");
        WriteFailureReason(result, task->name);
        return;
    }
    WriteLineWithCopy(std::cout, DebugOut(), "task ", task->name, " added at ", counter);
    ++counter;
}

}  // namespace

void RunAddCommand(const ArgumentList& arguments, int commandIndex, GUID* gameId) {
    const auto commandPosition = static_cast<std::size_t>(commandIndex);
    if (arguments.size() < commandPosition + kFirstTaskLineOffset) {
        WriteLine(DebugOut(), "Too few arguments for add: ", static_cast<int>(arguments.size()));
        PrintUsage();
    }
    const std::wstring& scopeWord = arguments[commandPosition + kScopeOffset];
    const int scope =
        _wcsicmp(scopeWord.c_str(), kCurrentUserScopeWord) == 0 ? GIS_CURRENT_USER : GIS_ALL_USERS;
    // Lines show the path as typed; the game is registered under its full path, so that a path
    // relative to the installer's folder still names the game from anywhere else.
    const std::wstring& executablePath = arguments[commandPosition + kExecutablePathOffset];
    std::wstring fullPath;
    const HRESULT madeFull = FullPathOf(executablePath, fullPath);
    const std::wstring installDirectory =
        DirectoryOf(SUCCEEDED(madeFull) ? fullPath : executablePath);

    WriteLine(DebugOut(), "User: ", scopeWord);
    WriteLine(DebugOut(), "bin:", executablePath);
    WriteLine(DebugOut(), "install:", installDirectory);

    if (SUCCEEDED(madeFull)) {
        ReuseRegisteredGameId(fullPath, gameId);
    }
    const HRESULT registered = SUCCEEDED(madeFull) ? UnlessOutOfMemory([&] {
        return RegisterGame(fullPath.c_str(), installDirectory.c_str(), scope, gameId);
    })
                                                   : madeFull;
    if (FAILED(registered)) {
        WriteLineWithCopy(std::cerr, DebugErr(), executablePath, " not added.");
        WriteFailureReason(RegistrationFailureCause(fullPath.c_str(), registered), executablePath);
        return;
    }
    WriteLine(DebugOut(), "Game added. Adding tasks...");

    const bool hasGameId = SettleRegisteredGameId(fullPath, gameId);
    // Another add of this game at the same time waits here, so that the tasks left are the
    // whole set of one run.
    std::optional<GameTaskLock> lock;
    if (hasGameId) {
        lock.emplace(scope, *gameId);
        if (FAILED(lock->Result())) {
            WriteLine(DebugOut(), "Tasks replaced without the game's task lock");
        }
    }
    // A repair or an upgrade runs the add again: the tasks of the earlier run go first, so that
    // no old shortcut stays beside the new one in an index folder.
    if (const HRESULT removed =
            hasGameId ? UnlessOutOfMemory([&] { return RemoveScopeTasks(scope, *gameId); }) : S_OK;
        FAILED(removed)) {
        WriteLineWithCopy(std::cerr, DebugErr(), executablePath, " tasks not removed.");
        WriteFailureReason(removed, executablePath);
    }

    TaskCounters counters;
    for (std::size_t i = commandPosition + kFirstTaskLineOffset; i < arguments.size(); ++i) {
        AddTask(arguments[i], scope, hasGameId ? gameId : nullptr, counters);
    }
}
