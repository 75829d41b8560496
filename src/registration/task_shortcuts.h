// The game's task shortcuts: one shortcut file per play or support task in the folder tree where
// Game Explorer looks for them, ...\Microsoft\Windows\GameExplorer\{GUID}\PlayTasks|SupportTasks\
// <index>\<name>.lnk, below the user's or the common application data folder.
#pragma once

#include "platform_api.h"

// Writes the shortcut of one task. isSupport nonzero makes a support task; arguments may be null.
// Returns S_OK when the shortcut was written, E_INVALIDARG for a name that is not a plain file
// name, 0x8007007A when a path does not fit its buffer, otherwise the failure of the platform
// call that stopped it.
HRESULT CreateGameTask(int scope, const GUID& gameId, int isSupport, int index,
                       const wchar_t* name, const wchar_t* targetPath, const wchar_t* arguments);

// Removes the game's task folders below both application data folders. Returns S_OK, or the
// first failure among the folder queries, the path formatting and the deletions of folders that
// exist.
HRESULT RemoveGameTasks(const GUID& gameId);
