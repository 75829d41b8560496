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

// Removes gameId's task folders of both scopes; a failure is printed and recorded. True when the
// folders went.
bool RemoveTaskFolders(const std::wstring& printedPath, const GUID& gameId,
                       DeleteOutcome& outcome) {
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
bool RemoveRegistration(const std::wstring& printedPath, const GUID& gameId,
                        DeleteOutcome& outcome) {
    if (RemoveTaskFolders(printedPath, gameId, outcome)) {
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
void RemoveAll(const std::wstring& printedPath, GameRemovals& removals, DeleteOutcome& outcome) {
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
            // Found again beyond what its removals may take, or a place or a path that cannot be
            // read.
            if (next == kStillRegistered) {
                WriteFailure(next, printedPath, printedPath, kNotRemovedText);
            } else {
                ReportNotFound(printedPath, next);
            }
            return;
        }
        if (!removal.locked) {
            WriteLine(DebugOut(), kRemovedWithoutLockText);
        }
        if (removal.taskFoldersOnly) {
            WriteLine(DebugOut(), kNoRecordOfText, BracedGuid(removal.gameId), kLookingUpByPathEnd);
            RemoveTaskFolders(printedPath, removal.gameId, outcome);
            WriteLine(DebugOut(), kRetrievingGuidText);
            continue;
        }
        if (!first) {
            WriteLine(DebugOut(), kAlsoRegisteredAsText, BracedGuid(removal.gameId));
        }
        const bool removed = removal.staleRecord
                                 ? RemoveStaleRecord(printedPath, removal)
                                 : RemoveRegistration(printedPath, removal.gameId, outcome);
        if (!removed) {
            return;
        }
    }
}

void DeleteGameAndTasks(const CommandRequest& request, DeleteOutcome& outcome) {
    const std::wstring& executablePath = request.executablePath;
    WriteLine(DebugOut(), kDeleteBinaryEchoText, executablePath);
    if (IsEqualGUID(request.gameId, GUID_NULL)) {
        WriteLine(DebugOut(), kRetrievingGuidText);
    }
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
    GameLocks locks;
    GameRemovals removals(path, pathMade, request.gameId, locks);
    if (SUCCEEDED(pathMade) && !removals.PathLocked()) {
        WriteLine(DebugOut(), kLookedUpWithoutLockText);
    }
    RemoveAll(executablePath, removals, outcome);
}

}  // namespace

DeleteOutcome RunDeleteCommand(const CommandRequest& request) {
    DeleteOutcome outcome;
    if (!RunsToTheEnd([&] { DeleteGameAndTasks(request, outcome); })) {
        outcome.registrationLeft = true;
    }
    return outcome;
}
