// The delete command: settles the game's GUID, removes its task folders and unregisters it;
// without a GUID, every registration of the path.
#include <iostream>

#include "commands.h"
#include "out_of_memory.h"
#include "output/debug_streams.h"
#include "output/message_line.h"
#include "output/reason_line.h"
#include "registration/game_paths.h"
#include "registration/registered_game_lookup.h"
#include "registration_removal.h"
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

    if (!IsEqualGUID(*gameId, GUID_NULL)) {
        RemoveRegistration(executablePath, *gameId);
        return;
    }
    WriteLine(DebugOut(), "Retrieving GUID... ");
    // The add registered the full path; a path that cannot be made full is looked up as typed.
    std::wstring lookupPath = executablePath;
    FullPathOf(executablePath, lookupPath);
    if (const HRESULT found =
            UnlessOutOfMemory([&] { return FindRegisteredGame(lookupPath.c_str(), gameId); });
        FAILED(found)) {
        WriteLineWithCopy(std::cerr, DebugErr(), executablePath,
                          " not removed. Cannot retrieve information");
        WriteFailureReason(found, executablePath);
        return;
    }
    RemoveEveryRegistration(executablePath, lookupPath, *gameId);
}
