// The add command: settles the game's GUID, registers the game, then turns each task line into a
// task shortcut.
#include <array>
#include <iostream>
#include <optional>

#include "commands.h"
#include "output/program_error_messages.h"
#include "output/program_texts.h"
#include "output/reason_line.h"
#include "registration/current_user_sid.h"
#include "registration/game_identity.h"
#include "registration/game_paths.h"
#include "registration/game_registration.h"
#include "registration/guid_text.h"
#include "registration/registered_game_lookup.h"
#include "registration/task_checks.h"
#include "registration/task_shortcuts.h"
#include "task_line.h"

namespace {

// Each kind of task numbers its shortcuts 0, 1, 2 ... without gaps: a counter moves on only
// after a shortcut of its kind was created.
struct TaskCounters {
    std::array<int, kTaskKindCount> next{};

    int& For(TaskKind kind) { return next[TaskKindIndex(kind)]; }
};

// ---- The game's identity ----------------------------------------------------------------------

// The diagnostic line that says where the GUID to register comes from.
void NoteChoice(const AddChoice& choice) {
    if (choice.staleRecordOf) {
        WriteLine(DebugOut(), kStaleRecordText, BracedGuid(*choice.staleRecordOf),
                  kStaleRecordNewGuidEnd);
    }
    if (choice.origin == GameOrigin::RegisteredBefore) {
        WriteLine(DebugOut(), kRegisteredBeforeAsText, BracedGuid(choice.gameId),
                  kRegisteringAgainEnd);
    }
}

// After a successful registration: S_OK when *gameId names the game, looking it up by path when
// the registration left it all zero. Otherwise the lookup's failure: no task may then be written
// or removed, as all of them would land under the all-zero GUID.
HRESULT SettleRegisteredGameId(const GamePath& path, GUID* gameId) {
    if (!IsEqualGUID(*gameId, GUID_NULL)) {
        return S_OK;
    }
    const HRESULT found = UnlessOutOfMemory([&] { return FindRegisteredGame(path, gameId); });
    if (SUCCEEDED(found)) {
        WriteLine(DebugOut(), kRegisteredAsText, BracedGuid(*gameId));
        return S_OK;
    }
    WriteLine(DebugOut(), kRegisteredWithoutGuidText);
    return found;
}

// ---- Tasks ------------------------------------------------------------------------------------

enum class TaskResult { Added, Skipped, NotAdded };

// gameIdFailure: why the game has no GUID to keep tasks under (S_OK when it has one); each task
// is then not added, for that reason.
TaskResult AddTask(const std::wstring& line, int scope, const GUID& gameId, HRESULT gameIdFailure,
                   TaskCounters& counters) {
    WriteLine(DebugOut(), kTaskLineEchoText, line);
    const std::optional<TaskSpec> task = ParseTaskLine(line);
    if (!task) {
        // Shown on the console: an installer author who gets the line wrong must see it.
        WriteLineWithCopy(std::cerr, DebugErr(), kTaskLineTooShortText, line);
        return TaskResult::Skipped;
    }
    if (task->name.empty()) {
        WriteLine(std::cout, kTaskNameEmptyText);
        WriteLine(DebugOut(), kTaskNameEmptyText, kSkippedEnd);
        return TaskResult::Skipped;
    }
    int& counter = counters.For(task->kind);
    const wchar_t* arguments = task->arguments.empty() ? nullptr : task->arguments.c_str();
    const HRESULT result = FAILED(gameIdFailure) ? gameIdFailure : UnlessOutOfMemory([&] {
        return CreateGameTask(scope, gameId, task->kind, counter, task->name.c_str(),
                              task->path.c_str(), arguments);
    });
    if (FAILED(result)) {
        // A line that the command line's quoting broke is shown as it came, so that its author
        // sees where the rest of the command line ran in.
        WriteFailure(result, result == kStrayQuoteInTaskLine ? line : task->name, kTaskLineStart,
                     task->name, kNotAddedText);
        return TaskResult::NotAdded;
    }
    WriteLineWithCopy(std::cout, DebugOut(), kTaskLineStart, task->name, kTaskAddedAtText, counter);
    // Added all the same: the file may come later (a patch, a download). The author sees it now.
    if (TaskTargetIsMissing(task->path.c_str())) {
        WriteLineWithCopy(std::cerr, DebugErr(), kTaskLineStart, task->name, kTaskTargetMissingText,
                          task->path);
    }
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

void ReportNotAdded(const std::wstring& executablePath, HRESULT reason) {
    WriteFailure(reason, executablePath, executablePath, kNotAddedText);
}

// Takes the locks of the game (its path, and its GUID once known) and settles the GUID to
// register. Runs naming this game at the same time wait here, each until the other has written
// its tasks: two runs by its path alone do not both register it, and a delete cannot unregister
// it between its registration and its tasks. S_OK, or why the locks could not be had in time.
HRESULT LockAndChooseGame(const GamePath& path, const GUID& given, GameLocks& locks,
                          AddChoice& choice) {
    if (const HRESULT locked = locks.LockPath(path); FAILED(locked)) {
        return locked;
    }
    choice = ChooseGameToAdd(path, given);
    NoteChoice(choice);
    return choice.origin == GameOrigin::New ? S_OK : locks.LockGame(choice.gameId);
}

// A file has one registration per scope: every other GUID's registration of the game in the add's
// scope goes before the game is registered under its own, each under its GUID's lock, with a
// line that names it. The game's own GUID lock is then taken again.
HRESULT ReplaceOtherRegistrations(const CommandRequest& request, const GamePath& path,
                                  const AddChoice& choice, GameLocks& locks, AddOutcome& outcome) {
    const std::vector<GUID> others = OtherRegistrationsInScope(path, request.scope, choice.gameId);
    for (const GUID& other : others) {
        const HRESULT locked = locks.LockGame(other);
        const HRESULT removed = FAILED(locked) ? locked : UnlessOutOfMemory([&] {
            return RemoveScopeRegistration(other, request.scope);
        });
        if (FAILED(removed)) {
            outcome.otherRegistrationLeft = true;
            WriteFailure(removed, request.executablePath, request.executablePath,
                         kOtherRegistrationText, BracedGuid(other), kNotReplacedText);
        } else {
            WriteLineWithCopy(std::cout, DebugOut(), request.executablePath, kOtherRegistrationText,
                              BracedGuid(other), kReplacedText);
        }
    }
    return others.empty() || choice.origin == GameOrigin::New ? S_OK
                                                              : locks.LockGame(choice.gameId);
}

void AddGame(const CommandRequest& request, AddOutcome& outcome) {
    // Lines show the path as typed; the game is registered under its long full path, so that any
    // spelling names the game from anywhere else, also after its files are gone.
    const std::wstring& executablePath = request.executablePath;
    GamePath path;
    const HRESULT pathMade = MakeGamePath(executablePath, path);
    const std::wstring installDirectory =
        DirectoryOf(SUCCEEDED(pathMade) ? path.full : executablePath);

    WriteLine(DebugOut(), kScopeEchoText, request.scopeWord);
    WriteLine(DebugOut(), kBinaryEchoText, executablePath);
    WriteLine(DebugOut(), kInstallFolderEchoText, installDirectory);
    if (FAILED(pathMade)) {
        ReportNotAdded(executablePath, pathMade);
        return;
    }
    if (request.scope == GIS_CURRENT_USER && CurrentUserIsSystemAccount()) {
        ReportNotAdded(executablePath, kCurrentUserIsSystemAccount);
        return;
    }
    GameLocks locks;
    AddChoice choice;
    if (const HRESULT locked = LockAndChooseGame(path, request.gameId, locks, choice);
        FAILED(locked)) {
        ReportNotAdded(executablePath, locked);
        return;
    }
    if (const HRESULT locked = ReplaceOtherRegistrations(request, path, choice, locks, outcome);
        FAILED(locked)) {
        ReportNotAdded(executablePath, locked);
        return;
    }
    GUID gameId = choice.gameId;
    if (const HRESULT registered = UnlessOutOfMemory([&] {
            return RegisterGame(path.full.c_str(), installDirectory.c_str(), request.scope,
                                &gameId);
        });
        FAILED(registered)) {
        ReportNotAdded(executablePath, registered);
        return;
    }
    outcome.registered = true;
    WriteLine(DebugOut(), kGameAddedText);

    const HRESULT gameIdFailure = SettleRegisteredGameId(path, &gameId);
    // A repair or an upgrade runs the add again: the tasks of the earlier run go first, so that
    // no old shortcut stays beside the new one in an index folder.
    if (const HRESULT removed = SUCCEEDED(gameIdFailure) ? UnlessOutOfMemory([&] {
            return RemoveScopeTasks(request.scope, gameId);
        })
                                                         : S_OK;
        FAILED(removed)) {
        outcome.oldTasksLeft = true;
        WriteFailure(removed, executablePath, executablePath, kTasksNotRemovedText);
    }
    outcome.gameId = gameId;
    AddTasks(request, gameId, gameIdFailure, outcome);
}

}  // namespace

AddOutcome RunAddCommand(const CommandRequest& request) {
    AddOutcome outcome;
    outcome.cutShort = !RunsToTheEnd([&] { AddGame(request, outcome); });
    return outcome;
}
