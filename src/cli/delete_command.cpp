// The delete command: settles the game's GUID, removes its task folders and unregisters it;
// without a GUID, every registration of the path: find, remove, find again.
#include <algorithm>
#include <iostream>
#include <vector>

#include "commands.h"
#include "output/reason_line.h"
#include "registration/game_paths.h"
#include "registration/game_registration.h"
#include "registration/game_task_lock.h"
#include "registration/guid_text.h"
#include "registration/registered_game_lookup.h"
#include "registration/task_shortcuts.h"

namespace {

// A game may be registered under one GUID for both scopes, and one removal may take only one of
// them; a third find means the removal leaves the record behind. A stale record goes alone, so a
// GUID may be found once in each of the four registry places the lookup reads before its last
// stale record is gone. A run removes at most 64 registrations.
constexpr std::ptrdiff_t kRemovalsPerGuid = 2;
constexpr std::ptrdiff_t kStaleRemovalsPerGuid = 4;
constexpr std::size_t kMaxRemovals = 64;

struct Removal {
    GUID gameId;
    bool staleRecord;
};

const HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
// What a registration found again after its removal reported success is: still there. No call
// failed, so the reason names the state the removals left ("The object already exists.").
const HRESULT kStillRegistered = HRESULT_FROM_WIN32(ERROR_OBJECT_ALREADY_EXISTS);

bool MayRemove(const std::vector<Removal>& removed, const Removal& next) {
    const auto same = [&](const Removal& earlier) {
        return IsEqualGUID(earlier.gameId, next.gameId) && earlier.staleRecord == next.staleRecord;
    };
    return removed.size() < kMaxRemovals &&
           std::count_if(removed.begin(), removed.end(), same) <
               (next.staleRecord ? kStaleRemovalsPerGuid : kRemovalsPerGuid);
}

// Prints the outcome of a removal (UnregisterGame's or DeleteGameRecord's results): "<path>
// removed." only when something was removed; nothing when nothing was there. True unless it
// failed.
bool ReportRemoval(const std::wstring& printedPath, HRESULT removal, DeleteOutcome& outcome) {
    outcome.registrationLeft = FAILED(removal);
    if (FAILED(removal)) {
        WriteLineWithCopy(std::cerr, DebugErr(), printedPath, " not removed. Cannot remove");
        WriteFailureReason(removal, printedPath);
        return false;
    }
    if (removal == S_OK) {
        ++outcome.registrationsRemoved;
        WriteLineWithCopy(std::cout, DebugOut(), printedPath, " removed.");
    }
    return true;
}

// Removes the task folders of both scopes, then the registration, printing "<path> tasks
// removed." and "<path> removed." or their failure lines. True when the registration went.
bool RemoveRegistration(const std::wstring& printedPath, const GUID& gameId,
                        DeleteOutcome& outcome) {
    // An add of this game for either scope at the same time waits until the game is gone, or
    // this delete waits for the add: the tasks left are never half of one run and half of the
    // other. The locks are always taken in this order, so two deletes cannot wait on each other.
    const GameTaskLock currentUserLock(GIS_CURRENT_USER, gameId);
    const GameTaskLock allUsersLock(GIS_ALL_USERS, gameId);
    if (FAILED(currentUserLock.Result()) || FAILED(allUsersLock.Result())) {
        WriteLine(DebugOut(), "Tasks removed without the game's task locks");
    }
    if (const HRESULT removed = UnlessOutOfMemory([&] { return RemoveGameTasks(gameId); });
        SUCCEEDED(removed)) {
        WriteLineWithCopy(std::cout, DebugOut(), printedPath, " tasks removed.");
    } else {
        outcome.taskFoldersLeft = true;
        WriteLineWithCopy(std::cerr, DebugErr(), printedPath, " tasks not removed.");
        WriteFailureReason(removed, printedPath);
    }

    return ReportRemoval(printedPath, UnlessOutOfMemory([&] { return UnregisterGame(gameId); }),
                         outcome);
}

// A record that names the path under a GUID whose own records name another game's path is stale
// (or planted where the user can write): it goes alone, and that GUID's registration and tasks
// stay with the game they belong to.
bool RemoveStaleRecord(const std::wstring& printedPath, const GameRecordPlace& place,
                       const GUID& gameId, DeleteOutcome& outcome) {
    WriteLine(DebugOut(), "A stale record names the path under ", BracedGuid(gameId),
              ": removing that record alone");
    return ReportRemoval(
        printedPath, UnlessOutOfMemory([&] { return DeleteGameRecord(place, gameId); }), outcome);
}

// Removes the registration found under firstFound at firstPlace (or the stale record alone),
// then looks up lookupPath again and removes what that finds, until a lookup finds nothing or a
// removal fails. A registration found again beyond the limits above was not removed, which is
// reported.
void RemoveEveryRegistration(const std::wstring& printedPath, const std::wstring& lookupPath,
                             const GUID& firstFound, const GameRecordPlace& firstPlace,
                             DeleteOutcome& outcome) {
    std::vector<Removal> removed;
    GUID found = firstFound;
    GameRecordPlace place = firstPlace;
    for (;;) {
        const Removal next{found, !FoundGameOwnsPath(lookupPath.c_str(), found, place)};
        if (!MayRemove(removed, next)) {
            break;
        }
        removed.push_back(next);
        const bool done = next.staleRecord ? RemoveStaleRecord(printedPath, place, found, outcome)
                                           : RemoveRegistration(printedPath, found, outcome);
        if (!done) {
            return;
        }
        const HRESULT again = UnlessOutOfMemory(
            [&] { return FindRegisteredGame(lookupPath.c_str(), &found, &place); });
        if (FAILED(again)) {
            // Found nowhere: every registration of the path is gone. A lookup that could not
            // read a place cannot tell, and the game may still be registered there.
            outcome.registrationLeft = again != kNotFound;
            return;
        }
        WriteLine(DebugOut(), "Also registered as ", BracedGuid(found));
    }
    outcome.registrationLeft = true;
    WriteLine(DebugOut(), "Still registered as ", BracedGuid(found), " after its removal");
    WriteLineWithCopy(std::cerr, DebugErr(), printedPath, " not removed. Cannot remove");
    WriteFailureReason(kStillRegistered, printedPath);
}

// The line of a delete whose path names no registration it could find, and why.
void ReportNotFound(const std::wstring& printedPath, HRESULT reason) {
    WriteLineWithCopy(std::cerr, DebugErr(), printedPath,
                      " not removed. Cannot retrieve information");
    WriteFailureReason(reason, printedPath);
}

void DeleteGame(const CommandRequest& request, DeleteOutcome& outcome) {
    const std::wstring& executablePath = request.executablePath;
    WriteLine(DebugOut(), "Bin path: ", executablePath);

    if (!IsEqualGUID(request.gameId, GUID_NULL)) {
        RemoveRegistration(executablePath, request.gameId, outcome);
        return;
    }
    WriteLine(DebugOut(), "Retrieving GUID... ");
    // An empty path (an unset installer property) names no game, yet it would match every
    // record whose path is empty or missing: refused before any lookup, as the add refuses it.
    if (executablePath.empty()) {
        ReportNotFound(executablePath, E_INVALIDARG);
        return;
    }
    // The add registered the full path; a path that cannot be made full is looked up as typed.
    std::wstring lookupPath = executablePath;
    FullPathOf(executablePath, lookupPath);
    // Another run naming this path waits until every registration found is removed, so that an
    // add cannot register the game between this lookup and the removal.
    const GameTaskLock pathLock(lookupPath);
    if (FAILED(pathLock.Result())) {
        WriteLine(DebugOut(), "Looked up without the game's path lock");
    }
    GUID gameId = GUID_NULL;
    GameRecordPlace place;
    if (const HRESULT found = UnlessOutOfMemory(
            [&] { return FindRegisteredGame(lookupPath.c_str(), &gameId, &place); });
        FAILED(found)) {
        // Found nowhere: nothing to remove. A place that could not be read may hold the game.
        outcome.nothingFound = found == kNotFound;
        outcome.registrationLeft = !outcome.nothingFound;
        ReportNotFound(executablePath, found);
        return;
    }
    RemoveEveryRegistration(executablePath, lookupPath, gameId, place, outcome);
}

}  // namespace

DeleteOutcome RunDeleteCommand(const CommandRequest& request) {
    DeleteOutcome outcome;
    if (!RunsToTheEnd([&] { DeleteGame(request, outcome); })) {
        outcome.registrationLeft = true;
    }
    return outcome;
}
