// Removing a game's task folders (task_shortcuts.h): only what the program wrote, never through a
// link.
#pragma once

#include "platform/gameux.h"

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
