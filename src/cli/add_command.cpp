// The add command: takes the GUID the game's identity chooses (game_identity.h), replaces the
// file's other registrations in its scope, registers the game, then turns each task line into a
// task shortcut.
#include <array>
#include <iostream>
#include <optional>

#include "commands.h"
#include "output/program_error_messages.h"
#include "output/program_texts.h"
#include "output/reason_line.h"
#include "registration/current_user_sid.h"
#include "registration/folder_paths.h"
#include "registration/game_identity.h"
#include "registration/game_registration.h"
#include "registration/guid_text.h"
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

// ---- Tasks ------------------------------------------------------------------------------------

enum class TaskResult { Added, Skipped, NotAdded };

TaskResult AddTask(const std::wstring& line, int scope, const GUID& gameId,
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
    const HRESULT result = UnlessOutOfMemory([&] {
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

void AddTasks(const CommandRequest& request, const GUID& gameId, AddOutcome& outcome) {
    TaskCounters counters;
    for (const std::wstring& line : request.taskLines) {
        switch (AddTask(line, request.scope, gameId, counters)) {
            case TaskResult::Added:
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

// The line for each other GUID's registration of the game in the add's scope that the add
// replaces (or could not replace, which leaves the game registered twice).
void ReportReplacement(const std::wstring& executablePath, const GUID& other, HRESULT removed,
                       AddOutcome& outcome) {
    if (FAILED(removed)) {
        outcome.otherRegistrationLeft = true;
        WriteFailure(removed, executablePath, executablePath, kOtherRegistrationText,
                     BracedGuid(other), kNotReplacedText);
        return;
    }
    WriteLineWithCopy(std::cout, DebugOut(), executablePath, kOtherRegistrationText,
                      BracedGuid(other), kReplacedText);
}

void AddGameAndTasks(const CommandRequest& request, AddOutcome& outcome) {
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
    if (const HRESULT chosen = LockAndChooseGameToAdd(path, request.gameId, locks, choice);
        FAILED(chosen)) {
        ReportNotAdded(executablePath, chosen);
        return;
    }
    NoteChoice(choice);
    const GUID& gameId = choice.gameId;
    if (const HRESULT locked = ReplaceOtherRegistrations(
            path, request.scope, gameId, locks,
            [&](const GUID& other, HRESULT removed) {
                ReportReplacement(executablePath, other, removed, outcome);
            });
        FAILED(locked)) {
        ReportNotAdded(executablePath, locked);
        return;
    }
    if (const HRESULT registered = UnlessOutOfMemory([&] {
            return RegisterGame(path.full.c_str(), installDirectory.c_str(), request.scope, gameId);
        });
        FAILED(registered)) {
        ReportNotAdded(executablePath, registered);
        return;
    }
    outcome.registered = true;
    WriteLine(DebugOut(), kGameAddedText);

    // A repair or an upgrade runs the add again: the tasks of the earlier run go first, so that
    // no old shortcut stays beside the new one in an index folder.
    if (const HRESULT removed =
            UnlessOutOfMemory([&] { return RemoveScopeTasks(request.scope, gameId); });
        FAILED(removed)) {
        outcome.oldTasksLeft = true;
        WriteFailure(removed, executablePath, executablePath, kTasksNotRemovedText);
    }
    AddTasks(request, gameId, outcome);
}

}  // namespace

AddOutcome RunAddCommand(const CommandRequest& request) {
    AddOutcome outcome;
    outcome.cutShort = !RunsToTheEnd([&] { AddGameAndTasks(request, outcome); });
    return outcome;
}
