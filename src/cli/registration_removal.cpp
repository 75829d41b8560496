#include "registration_removal.h"

#include <algorithm>
#include <iostream>
#include <vector>

#include "guid_display.h"
#include "out_of_memory.h"
#include "output/debug_streams.h"
#include "output/message_line.h"
#include "output/reason_line.h"
#include "registration/game_registration.h"
#include "registration/game_task_lock.h"
#include "registration/registered_game_lookup.h"
#include "registration/task_shortcuts.h"

namespace {

// A game may be registered under one GUID for both scopes, and one removal may take only one of
// them; a third find means the removal leaves the record behind.
constexpr std::ptrdiff_t kRemovalsPerGuid = 2;
constexpr std::size_t kMaxRemovals = 64;

bool MayRemove(const std::vector<GUID>& removed, const GUID& found) {
    const auto sameGuid = [&](const GUID& earlier) { return IsEqualGUID(earlier, found) != 0; };
    return removed.size() < kMaxRemovals &&
           std::count_if(removed.begin(), removed.end(), sameGuid) < kRemovalsPerGuid;
}

}  // namespace

bool RemoveRegistration(const std::wstring& printedPath, const GUID& gameId) {
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
        WriteLineWithCopy(std::cerr, DebugErr(), printedPath, " tasks not removed.");
        WriteFailureReason(removed, printedPath);
    }

    if (const HRESULT unregistered = UnlessOutOfMemory([&] { return UnregisterGame(gameId); });
        FAILED(unregistered)) {
        WriteLineWithCopy(std::cerr, DebugErr(), printedPath, " not removed. Cannot remove");
        WriteFailureReason(unregistered, printedPath);
        return false;
    }
    WriteLineWithCopy(std::cout, DebugOut(), printedPath, " removed.");
    return true;
}

void RemoveEveryRegistration(const std::wstring& printedPath, const std::wstring& lookupPath,
                             const GUID& firstFound) {
    std::vector<GUID> removed;
    GUID found = firstFound;
    while (MayRemove(removed, found)) {
        removed.push_back(found);
        if (!RemoveRegistration(printedPath, found) || FAILED(UnlessOutOfMemory([&] {
                return FindRegisteredGame(lookupPath.c_str(), &found);
            }))) {
            return;
        }
        WriteLine(DebugOut(), "Also registered as ", BracedGuid(found));
    }
    WriteLine(DebugOut(), "Still registered as ", BracedGuid(found), " after its removal");
    WriteLineWithCopy(std::cerr, DebugErr(), printedPath, " not removed. Cannot remove");
    // Every removal reported success, so there is no failure of the system's to name.
    WriteFailureReason(E_FAIL, printedPath);
}
