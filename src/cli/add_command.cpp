// The add command: settles the game's GUID, registers the game, then turns each task line into a
// task shortcut.
#include <iostream>
#include <optional>

#include "commands.h"
#include "output/reason_line.h"
#include "registration/game_binary_check.h"
#include "registration/game_paths.h"
#include "registration/game_registration.h"
#include "registration/game_task_lock.h"
#include "registration/guid_text.h"
#include "registration/registered_game_lookup.h"
#include "registration/task_shortcuts.h"
#include "task_line.h"

namespace {

// Each kind of task numbers its shortcuts 0, 1, 2 ... without gaps: a counter moves on only
// after a shortcut of its kind was created.
struct TaskCounters {
    int play = 0;
    int support = 0;

    int& For(TaskKind kind) { return kind == TaskKind::Support ? support : play; }
};

// ---- The game's identity ----------------------------------------------------------------------
// A game registered before with the same path keeps its GUID, so that a repair, a reinstall or
// an upgrade replaces its registration and tasks instead of adding a second game.

// When *gameId is GUID_NULL and a game is registered with fullPath, takes that game's GUID.
void ReuseRegisteredGameId(const std::wstring& fullPath, GUID* gameId) {
    if (!IsEqualGUID(*gameId, GUID_NULL)) {
        return;
    }
    GUID found = GUID_NULL;
    GameRecordPlace place;
    if (FAILED(FindRegisteredGame(fullPath.c_str(), &found, &place))) {
        return;
    }
    // A stale or planted record naming the path under another game's GUID must not hand this
    // game that GUID: its registration would overwrite the other game's.
    if (!FoundGameOwnsPath(fullPath.c_str(), found, place)) {
        WriteLine(DebugOut(), "A stale record names the path under ", BracedGuid(found),
                  ": registering under a new GUID");
        return;
    }
    *gameId = found;
    WriteLine(DebugOut(), "Registered before as ", BracedGuid(*gameId),
              ": registering again under that GUID");
}

// After a successful registration: S_OK when *gameId names the game, looking it up by fullPath
// when the registration left it all zero. Otherwise the lookup's failure: no task may then be
// written or removed, as all of them would land under the all-zero GUID.
HRESULT SettleRegisteredGameId(const std::wstring& fullPath, GUID* gameId) {
    if (!IsEqualGUID(*gameId, GUID_NULL)) {
        return S_OK;
    }
    const HRESULT found =
        UnlessOutOfMemory([&] { return FindRegisteredGame(fullPath.c_str(), gameId); });
    if (SUCCEEDED(found)) {
        WriteLine(DebugOut(), "Registered as ", BracedGuid(*gameId));
        return S_OK;
    }
    WriteLine(DebugOut(), "Registered without a GUID: no task is written");
    return found;
}

// Takes the task lock of the game's GUID for scope into lock, unless it is held already or there
// is no GUID yet.
void TakeTaskLock(int scope, const GUID& gameId, std::optional<GameTaskLock>& lock) {
    if (lock || IsEqualGUID(gameId, GUID_NULL)) {
        return;
    }
    lock.emplace(scope, gameId);
    if (FAILED(lock->Result())) {
        WriteLine(DebugOut(), "Added without the game's task lock");
    }
}

// ---- Tasks ------------------------------------------------------------------------------------

enum class TaskResult { Added, Skipped, NotAdded };

// gameIdFailure: why the game has no GUID to keep tasks under (S_OK when it has one); each task
// is then not added, for that reason.
TaskResult AddTask(const std::wstring& line, int scope, const GUID& gameId, HRESULT gameIdFailure,
                   TaskCounters& counters) {
    WriteLine(DebugOut(), "Task line: ", line);
    const std::optional<TaskSpec> task = ParseTaskLine(line);
    if (!task) {
        // Shown on the console: an installer author who gets the line wrong must see it.
        WriteLineWithCopy(std::cerr, DebugErr(),
                          "Task line skipped because of too few parameters: ", line);
        return TaskResult::Skipped;
    }
    if (task->name.empty()) {
        WriteLine(std::cout, "Task name is empty");
        WriteLine(DebugOut(), "Task name is empty. Skipped");
        return TaskResult::Skipped;
    }
    int& counter = counters.For(task->kind);
    const wchar_t* arguments = task->arguments.empty() ? nullptr : task->arguments.c_str();
    const HRESULT result = FAILED(gameIdFailure) ? gameIdFailure : UnlessOutOfMemory([&] {
        return CreateGameTask(scope, gameId, task->kind, counter, task->name.c_str(),
                              task->path.c_str(), arguments);
    });
    if (FAILED(result)) {
        WriteLineWithCopy(std::cerr, DebugErr(), "task ", task->name, " not added.");
        WriteFailureReason(result, task->name);
        return TaskResult::NotAdded;
    }
    WriteLineWithCopy(std::cout, DebugOut(), "task ", task->name, " added at ", counter);
    ++counter;
    return TaskResult::Added;
}

void AddTasks(const CommandRequest& request, const GUID& gameId, HRESULT gameIdFailure,
              AddOutcome& outcome) {
    TaskCounters counters;
    for (const std::wstring& line : request.taskLines) {
        switch (AddTask(line, request.scope, gameId, gameIdFailure, counters)) {
            case TaskResult::Added:
                ++outcome.tasksAdded;
                break;
            case TaskResult::Skipped:
                ++outcome.tasksSkipped;
                break;
            case TaskResult::NotAdded:
                ++outcome.tasksNotAdded;
                break;
        }
    }
}

// ---- The command ------------------------------------------------------------------------------

void AddGame(const CommandRequest& request, GUID gameId, AddOutcome& outcome) {
    // Lines show the path as typed; the game is registered under its full path, so that a path
    // relative to the installer's folder still names the game from anywhere else.
    const std::wstring& executablePath = request.executablePath;
    std::wstring fullPath;
    const HRESULT madeFull = FullPathOf(executablePath, fullPath);
    const std::wstring installDirectory =
        DirectoryOf(SUCCEEDED(madeFull) ? fullPath : executablePath);

    WriteLine(DebugOut(), "User: ", request.scopeWord);
    WriteLine(DebugOut(), "bin:", executablePath);
    WriteLine(DebugOut(), "install:", installDirectory);

    // Runs that name this game at the same time wait here, each until the other has written its
    // tasks: a run that names it by its path alone from before its lookup, so that two such runs
    // do not both register it; every run from before its registration, once the GUID is known,
    // so that a delete cannot unregister the game between the registration and its tasks.
    std::optional<GameTaskLock> pathLock;
    if (SUCCEEDED(madeFull) && IsEqualGUID(gameId, GUID_NULL)) {
        pathLock.emplace(fullPath);
        if (FAILED(pathLock->Result())) {
            WriteLine(DebugOut(), "Looked up without the game's path lock");
        }
        ReuseRegisteredGameId(fullPath, &gameId);
    }
    std::optional<GameTaskLock> lock;
    if (SUCCEEDED(madeFull)) {
        TakeTaskLock(request.scope, gameId, lock);
    }
    const HRESULT registered = SUCCEEDED(madeFull) ? UnlessOutOfMemory([&] {
        return RegisterGame(fullPath.c_str(), installDirectory.c_str(), request.scope, &gameId);
    })
                                                   : madeFull;
    if (FAILED(registered)) {
        WriteLineWithCopy(std::cerr, DebugErr(), executablePath, " not added.");
        WriteFailureReason(RegistrationFailureCause(fullPath.c_str(), registered), executablePath);
        return;
    }
    outcome.registered = true;
    WriteLine(DebugOut(), "Game added. Adding tasks...");

    const HRESULT gameIdFailure = SettleRegisteredGameId(fullPath, &gameId);
    const bool hasGameId = SUCCEEDED(gameIdFailure);
    // A GUID new with this registration: no other run can name it yet.
    TakeTaskLock(request.scope, gameId, lock);
    // A repair or an upgrade runs the add again: the tasks of the earlier run go first, so that
    // no old shortcut stays beside the new one in an index folder.
    if (const HRESULT removed =
            hasGameId ? UnlessOutOfMemory([&] { return RemoveScopeTasks(request.scope, gameId); })
                      : S_OK;
        FAILED(removed)) {
        WriteLineWithCopy(std::cerr, DebugErr(), executablePath, " tasks not removed.");
        WriteFailureReason(removed, executablePath);
    }
    outcome.gameId = gameId;
    AddTasks(request, gameId, gameIdFailure, outcome);
}

}  // namespace

AddOutcome RunAddCommand(const CommandRequest& request) {
    AddOutcome outcome;
    outcome.cutShort = !RunsToTheEnd([&] { AddGame(request, request.gameId, outcome); });
    return outcome;
}
