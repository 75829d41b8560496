// Reading a game's task shortcuts back from the folders where task_creation.cpp writes them, for
// a listing of what a game has: each shortcut's kind, index, name, target and arguments.
#pragma once

#include <string>
#include <vector>

#include "platform_api.h"
#include "task_kind.h"

// One task shortcut found in a game's task folders.
struct ListedTask {
    TaskKind kind;
    int index;               // the index folder's number
    std::wstring name;       // the file name without .lnk / .url
    std::wstring target;     // the shortcut's target path, or the .url's address
    std::wstring arguments;  // the .lnk's arguments (empty for .url)
};

// The task shortcuts of gameId below scope's application data folder (GIS_CURRENT_USER: the
// user's local application data; else the common one), play tasks first, then support tasks,
// each by index then name (ordinal, without regard to case). Only what the writer makes counts:
// index folders named by a number as it writes them ("0", "12", never "012"), and in them the
// files ending in .lnk or .url. S_OK (possibly none: no folder is no failure), or the failure of
// the folder query, 0x8007007A when a folder's path does not fit, or the failure of listing a
// folder that exists (tasks is then empty). A shortcut that cannot be read is listed with an
// empty target (and no arguments). Prints nothing, changes nothing.
HRESULT ListGameTasks(int scope, const GUID& gameId, std::vector<ListedTask>& tasks);
