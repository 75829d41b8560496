// Reading a game's task shortcuts back from the folders where task_creation.cpp writes them, for
// a listing of what a game has: each shortcut's kind, index, name, target and arguments.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "folder_paths.h"
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

// The task shortcuts of many games of one scope, listed as ListGameTasks lists them, for a listing
// of every game: the scope's folder is asked for once, and its GameExplorer folder listed once, so
// that a game without a task folder there costs no further call. Where that folder cannot be
// listed, each game's folders are looked for as ListGameTasks looks for them.
class ScopeTaskListing {
  public:
    explicit ScopeTaskListing(int scope);

    // What ListGameTasks(scope, gameId, tasks) gives.
    HRESULT List(const GUID& gameId, std::vector<ListedTask>& tasks) const;

  private:
    GameTaskRoot root_ = {};  // the scope's folder; its GUID is each game's
    HRESULT located_;
    // The games that have a folder there, sorted; none when the folder could not be listed.
    std::optional<std::vector<GUID>> gamesWithFolders_;
};
