// The delete command: settles the game's GUID, removes its task folders and unregisters it.
#include <iostream>

#include "commands.h"
#include "out_of_memory.h"
#include "output/debug_streams.h"
#include "output/message_line.h"
#include "output/reason_line.h"
#include "registration/game_paths.h"
#include "registration/game_registration.h"
#include "registration/game_task_lock.h"
#include "registration/instance_lookup.h"
#include "registration/task_shortcuts.h"
#include "usage.h"

namespace {

constexpr std::size_t kExecutablePathOffset = 1;

}  // namespace

void RunDeleteCommand(const ArgumentList& arguments, int commandIndex, GUID* gameId) {
    const std::size_t pathPosition = static_cast<std::size_t>(commandIndex) + kExecutablePathOffset;
    // Only reachable with the -guid: option and nothing after the command word; an uninstaller
    // that forgot the path gets the usage, as the add command gives it, not a silent success.
    if (arguments.size() <= pathPosition) {
        WriteLine(DebugOut(), "Too few arguments for del: ", static_cast<int>(arguments.size()));
        PrintUsage();
    }
    const std::wstring& executablePath = arguments[pathPosition];
    WriteLine(DebugOut(), "Bin path: ", executablePath);

    if (IsEqualGUID(*gameId, GUID_NULL)) {
        WriteLine(DebugOut(), "Retrieving GUID... ");
        // The add registered the full path; a path that cannot be made full is looked up as typed.
        std::wstring lookupPath = executablePath;
        FullPathOf(executablePath, lookupPath);
        if (const HRESULT found =
                UnlessOutOfMemory([&] { return FindGameInstanceId(lookupPath.c_str(), gameId); });
            FAILED(found)) {
            WriteLineWithCopy(std::cerr, DebugErr(), executablePath,
                              " not removed. Cannot retrieve information");
            WriteFailureReason(found, executablePath);
            return;
        }
    }

    // An add of this game for either scope at the same time waits until the game is gone, or
    // this delete waits for the add: the tasks left are never half of one run and half of the
    // other. The locks are always taken in this order, so two deletes cannot wait on each other.
    const GameTaskLock currentUserLock(GIS_CURRENT_USER, *gameId);
    const GameTaskLock allUsersLock(GIS_ALL_USERS, *gameId);
    if (FAILED(currentUserLock.Result()) || FAILED(allUsersLock.Result())) {
        WriteLine(DebugOut(), "Tasks removed without the game's task locks");
    }
    if (const HRESULT removed = UnlessOutOfMemory([&] { return RemoveGameTasks(*gameId); });
        SUCCEEDED(removed)) {
        WriteLineWithCopy(std::cout, DebugOut(), executablePath, " tasks removed.");
    } else {
        WriteLineWithCopy(std::cerr, DebugErr(), executablePath, " tasks not removed.");
        WriteFailureReason(removed, executablePath);
    }

    if (const HRESULT unregistered = UnlessOutOfMemory([&] { return UnregisterGame(*gameId); });
        SUCCEEDED(unregistered)) {
        WriteLineWithCopy(std::cout, DebugOut(), executablePath, " removed.");
    } else {
        WriteLineWithCopy(std::cerr, DebugErr(), executablePath, " not removed. Cannot remove");
        WriteFailureReason(unregistered, executablePath);
    }
}
