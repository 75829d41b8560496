// The delete command: removes what the game's identity says to remove (game_identity.h), one
// removal at a time, and prints each outcome: for a registration, its task folders of both
// scopes and then every record of its GUID; for a stale record, that record alone.
#include <iostream>

#include "commands.h"
#include "output/program_error_messages.h"
#include "output/program_texts.h"
#include "output/reason_line.h"
#include "registration/game_identity.h"
#include "registration/game_record_places.h"
#include "registration/guid_text.h"
#include "registration/instance_lookup.h"
#include "registration/task_shortcuts.h"

namespace {

// Prints the outcome of a removal: "<path> removed." only when something was removed, nothing
// when nothing was there. True unless it failed.
bool ReportRemoval(const std::wstring& printedPath, HRESULT removal) {
    if (FAILED(removal)) {
        WriteFailure(removal, printedPath, printedPath, kNotRemovedText);
        return false;
    }
    if (removal == S_OK) {
        WriteLineWithCopy(std::cout, DebugOut(), printedPath, kRemovedText);
    }
    return true;
}

// Removes gameId's task folders of both scopes under its lock: an add of this game waits until
// they are gone, or this delete waits for the add, so the tasks left are never half of one run and
// half of the other. An uninstall is never blocked for good: past the deadline it goes on without
// the lock. A failure is printed and recorded. True when the folders went.
bool RemoveTaskFolders(const std::wstring& printedPath, const GUID& gameId, GameLocks& locks,
                       DeleteOutcome& outcome) {
    if (FAILED(locks.LockGame(gameId))) {
        WriteLine(DebugOut(), kRemovedWithoutLockText);
    }
    const HRESULT removed = UnlessOutOfMemory([&] { return RemoveGameTasks(gameId); });
    if (SUCCEEDED(removed)) {
        return true;
    }
    outcome.taskFoldersLeft = true;
    outcome.linkOrForeignEntryLeft =
        outcome.linkOrForeignEntryLeft || removed == kTaskFolderHoldsLinkOrForeignEntry;
    WriteFailure(removed, printedPath, printedPath, kTasksNotRemovedText);
    return false;
}

// Removes the task folders of both scopes, then every record of the GUID, printing "<path> tasks
// removed." and "<path> removed." or their failure lines. True when the registration went.
bool RemoveRegistration(const std::wstring& printedPath, const GUID& gameId, GameLocks& locks,
                        DeleteOutcome& outcome) {
    if (RemoveTaskFolders(printedPath, gameId, locks, outcome)) {
        WriteLineWithCopy(std::cout, DebugOut(), printedPath, kTasksRemovedText);
    }
    return ReportRemoval(printedPath,
                         UnlessOutOfMemory([&] { return RemoveEveryRegistration(gameId); }));
}

bool RemoveStaleRecord(const std::wstring& printedPath, const Removal& removal) {
    WriteLine(DebugOut(), kStaleRecordText, BracedGuid(removal.gameId),
              kStaleRecordRemovedAloneEnd);
    return ReportRemoval(printedPath, UnlessOutOfMemory([&] {
                             return DeleteGameRecord(*removal.staleRecord, removal.gameId);
                         }));
}

// The line of a delete that cannot tell what is registered under its path, and why.
void ReportNotFound(const std::wstring& printedPath, HRESULT reason) {
    WriteFailure(reason, printedPath, printedPath, kNotFoundText);
}

// Makes every removal the game's identity asks for, until none is left or one fails.
void RemoveAll(const std::wstring& printedPath, GameRemovals& removals, GameLocks& locks,
               DeleteOutcome& outcome) {
    for (bool first = true;; first = false) {
        Removal removal;
        const HRESULT next = UnlessOutOfMemory([&] { return removals.Next(removal); });
        if (next == S_FALSE) {
            outcome.registrationLeft = false;
            if (removals.NothingFound()) {
                ReportNotFound(printedPath, kNoGameFound);
            }
            return;
        }
        if (FAILED(next)) {
            // Found again beyond what its removals may take, or a place that cannot be read.
            if (next == kStillRegistered) {
                WriteFailure(next, printedPath, printedPath, kNotRemovedText);
            } else {
                ReportNotFound(printedPath, next);
            }
            return;
        }
        if (!first) {
            WriteLine(DebugOut(), kAlsoRegisteredAsText, BracedGuid(removal.gameId));
        }
        const bool removed = removal.staleRecord
                                 ? RemoveStaleRecord(printedPath, removal)
                                 : RemoveRegistration(printedPath, removal.gameId, locks, outcome);
        if (!removed) {
            return;
        }
    }
}

// A GUID with no record anywhere names nothing to remove but its task folders, which go; the
// game is then looked up by its path, as an uninstaller whose GUID differs from the one the game
// was registered under still means to remove the game. GUID_NULL then, else gameId.
GUID GuidToRemove(const std::wstring& printedPath, const GUID& gameId, GameLocks& locks,
                  DeleteOutcome& outcome) {
    if (IsEqualGUID(gameId, GUID_NULL) || FindAnyRecordOf(gameId) != S_FALSE) {
        return gameId;
    }
    WriteLine(DebugOut(), kNoRecordOfText, BracedGuid(gameId), kLookingUpByPathEnd);
    RemoveTaskFolders(printedPath, gameId, locks, outcome);
    return GUID_NULL;
}

void DeleteGameAndTasks(const CommandRequest& request, DeleteOutcome& outcome) {
    const std::wstring& executablePath = request.executablePath;
    WriteLine(DebugOut(), kDeleteBinaryEchoText, executablePath);
    // An empty path (an unset installer property) names no game, yet it would match every record
    // whose path is empty or missing, and print its lines after an empty label: refused before
    // anything is looked up or removed, as the add refuses it. So is a "\\?\" path that names
    // another file than its tidied form.
    GamePath path;
    const HRESULT pathMade = MakeGamePath(executablePath, path);
    if (executablePath.empty() || pathMade == HRESULT_FROM_WIN32(ERROR_INVALID_NAME)) {
        ReportNotFound(executablePath, executablePath.empty() ? E_INVALIDARG : pathMade);
        return;
    }
    // Another run naming this path waits until every registration found is removed, so that an
    // add cannot register the game between this lookup and the removal.
    GameLocks locks;
    if (SUCCEEDED(pathMade) && FAILED(locks.LockPath(path))) {
        WriteLine(DebugOut(), kLookedUpWithoutLockText);
    }
    const GUID gameId = GuidToRemove(executablePath, request.gameId, locks, outcome);
    if (IsEqualGUID(gameId, GUID_NULL)) {
        WriteLine(DebugOut(), kRetrievingGuidText);
        // Without a path that names one file, the run cannot tell which game to remove.
        if (FAILED(pathMade)) {
            ReportNotFound(executablePath, pathMade);
            return;
        }
    }
    GameRemovals removals(path, gameId);
    RemoveAll(executablePath, removals, locks, outcome);
}

}  // namespace

DeleteOutcome RunDeleteCommand(const CommandRequest& request) {
    DeleteOutcome outcome;
    if (!RunsToTheEnd([&] { DeleteGameAndTasks(request, outcome); })) {
        outcome.registrationLeft = true;
    }
    return outcome;
}
