// The game's task shortcuts: one shortcut file per play or support task in the folder tree where
// Game Explorer looks for them, below the user's or the common application data folder: the
// game's task tree (game_paths.h), then <PlayTasks or SupportTasks>\<index>\<name>.lnk (or
// <name>.url for a web address). Written by task_creation.cpp (checks in task_checks.cpp, the
// files in shell_link_file.cpp and internet_shortcut_file.cpp), removed by task_removal.cpp. A
// user can write their own task folders and a game's GUID is no secret, so a link (a reparse
// point: symbolic link, junction, mount point) may be planted anywhere in the tree: nothing is
// written into one, entered or deleted through one (task_entry_kind.h).
#pragma once

#include "platform/gameux.h"
#include "task_kind.h"

// Writes the shortcut of one task, replacing one of the same name. scope GIS_CURRENT_USER puts it
// below the user's local application data, any other scope below the common application data.
// arguments may be null (then none are set). The working folder is the folder of the target's
// full path; when that cannot be had, none is set. A target that begins with http:// or
// https:// (any case) is a web address: the task is then an Internet shortcut <name>.url to it,
// and arguments and working folder do not apply.
// Returns S_OK when the shortcut was written. Before any system call, the refusal of CheckTask
// (task_checks.h); before anything is created, HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE)
// when the shortcut's path would have MAX_PATH characters or more, 0x8007007A when the
// index folder's path does not fit its buffer, kTaskFolderHoldsLinkOrForeignEntry when a folder
// from GameExplorer down to the index folder exists and is a link, and the reason
// (GetLastError) when whether one of them exists cannot be told;
// otherwise the failure of the folder query, of creating the index folder (HRESULT_FROM_WIN32 of
// its error; an existing folder is none), of creating the shortcut object, of a setter (then
// nothing is saved, and a working folder of MAX_PATH characters or more is refused with
// ERROR_FILENAME_EXCED_RANGE), of getting its file interface or of Save.
HRESULT CreateGameTask(int scope, const GUID& gameId, TaskKind kind, int index, const wchar_t* name,
                       const wchar_t* targetPath, const wchar_t* arguments);

// Removes the game's task folders below both application data folders, whatever scope the game
// was added with. Both folders are queried before anything is deleted. Only what the program
// writes is deleted: the .lnk and .url files of the index folders, then each folder once empty,
// bottom up (index folders, kind folders, the game's folder). A link (anywhere from GameExplorer
// down) is never entered nor deleted, and neither is any entry of another name or kind (a folder
// in an index folder, a folder that is no index, another file): it stays, with the folders above
// it. A shortcut file is deleted only when its final path (every link followed) is in its own
// index folder: Wine lists a link to a file as a plain file, and would delete what it leads to. A
// task folder that does not exist is no failure; every entry and both folders are attempted even
// when one stayed. Returns S_OK, or kTaskFolderHoldsLinkOrForeignEntry when such an entry stayed,
// or else the first failure: a folder query's result, 0x8007007A for a path that does not fit, the
// reason (GetLastError) when whether a folder exists cannot be told or a listing, deletion or
// folder removal failed.
HRESULT RemoveGameTasks(const GUID& gameId);

// Removes the game's play and support tasks of one scope (its PlayTasks and SupportTasks
// folders below that scope's application data folder), as an add does before it writes the
// tasks anew. Results as for RemoveGameTasks.
HRESULT RemoveScopeTasks(int scope, const GUID& gameId);
