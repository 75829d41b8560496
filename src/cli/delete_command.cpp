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
// them; a third find means the removal leaves the record behind. A run removes at most 64
// registrations.
constexpr std::ptrdiff_t kRemovalsPerGuid = 2;
constexpr std::size_t kMaxRemovals = 64;

const HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
// What a registration found again after its removal reported success is: still there. No call
// failed, so the reason names the state the removals left: ERROR_OBJECT_ALREADY_EXISTS ("The
// object already exists."), spelt as its number, which every platform header agrees on.
constexpr LONG kObjectAlreadyExists = 5010;
const HRESULT kStillRegistered = HRESULT_FROM_WIN32(kObjectAlreadyExists);

bool MayRemove(const std::vector<GUID>& removed, const GUID& found) {
    const auto sameGuid = [&](const GUID& earlier) { return IsEqualGUID(earlier, found) != 0; };
    return removed.size() < kMaxRemovals &&
           std::count_if(removed.begin(), removed.end(), sameGuid) < kRemovalsPerGuid;
}

// An unregistering that fails because the GUID has no record (any more) leaves nothing behind.
bool RegistrationIsGone(HRESULT unregistered) {
    return SUCCEEDED(unregistered) || unregistered == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
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

    const HRESULT unregistered = UnlessOutOfMemory([&] { return UnregisterGame(gameId); });
    outcome.registrationLeft = !RegistrationIsGone(unregistered);
    if (FAILED(unregistered)) {
        WriteLineWithCopy(std::cerr, DebugErr(), printedPath, " not removed. Cannot remove");
        WriteFailureReason(unregistered, printedPath);
        return false;
    }
    ++outcome.registrationsRemoved;
    WriteLineWithCopy(std::cout, DebugOut(), printedPath, " removed.");
    return true;
}

// Removes the registration found under firstFound, then looks up lookupPath again and removes
// what that finds, until a lookup finds nothing or a removal fails. A registration found again
// beyond the limits above was not removed, which is reported.
void RemoveEveryRegistration(const std::wstring& printedPath, const std::wstring& lookupPath,
                             const GUID& firstFound, DeleteOutcome& outcome) {
    std::vector<GUID> removed;
    GUID found = firstFound;
    while (MayRemove(removed, found)) {
        removed.push_back(found);
        if (!RemoveRegistration(printedPath, found, outcome)) {
            return;
        }
        const HRESULT again =
            UnlessOutOfMemory([&] { return FindRegisteredGame(lookupPath.c_str(), &found); });
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

void DeleteGame(const CommandRequest& request, DeleteOutcome& outcome) {
    const std::wstring& executablePath = request.executablePath;
    WriteLine(DebugOut(), "Bin path: ", executablePath);

    if (!IsEqualGUID(request.gameId, GUID_NULL)) {
        RemoveRegistration(executablePath, request.gameId, outcome);
        return;
    }
    WriteLine(DebugOut(), "Retrieving GUID... ");
    // The add registered the full path; a path that cannot be made full is looked up as typed.
    std::wstring lookupPath = executablePath;
    FullPathOf(executablePath, lookupPath);
    GUID gameId = GUID_NULL;
    if (const HRESULT found =
            UnlessOutOfMemory([&] { return FindRegisteredGame(lookupPath.c_str(), &gameId); });
        FAILED(found)) {
        // Found nowhere: nothing to remove. A place that could not be read may hold the game.
        outcome.nothingFound = found == kNotFound;
        outcome.registrationLeft = !outcome.nothingFound;
        WriteLineWithCopy(std::cerr, DebugErr(), executablePath,
                          " not removed. Cannot retrieve information");
        WriteFailureReason(found, executablePath);
        return;
    }
    RemoveEveryRegistration(executablePath, lookupPath, gameId, outcome);
}

}  // namespace

DeleteOutcome RunDeleteCommand(const CommandRequest& request) {
    DeleteOutcome outcome;
    if (!RunsToTheEnd([&] { DeleteGame(request, outcome); })) {
        outcome.registrationLeft = true;
    }
    return outcome;
}
