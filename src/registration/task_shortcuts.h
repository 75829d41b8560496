// The game's task shortcuts: one shortcut file per play or support task in the folder tree where
// Game Explorer looks for them, below the user's or the common application data folder: the
// game's task tree (game_paths.h), then <PlayTasks or SupportTasks>\<index>\<name>.lnk
#pragma once

#include "platform/gameux.h"

// Writes the shortcut of one task, replacing one of the same name. scope GIS_CURRENT_USER puts it
// below the user's local application data, any other scope below the common application data.
// isSupport nonzero makes a support task; arguments may be null (then none are set). The working
// folder is the folder of the target's full path; when that cannot be had, none is set. A target
// that begins with http:// or https:// (any case) is a web address: the task is then an Internet
// shortcut <name>.url to it, and arguments and working folder do not apply.
// Returns S_OK when the shortcut was written. Before any system call: HRESULT_FROM_WIN32 of
// ERROR_INVALID_NAME for a name that is not a plain file name (empty, ending in a dot or a blank,
// a device name such as NUL, "nul .x" or COM1.txt, or holding a path separator, a control
// character or one of < > : " | ? *) or for a web address holding a control character,
// E_INVALIDARG for an empty target, HRESULT_FROM_WIN32 of ERROR_FILENAME_EXCED_RANGE for a
// target of MAX_PATH characters or more or arguments longer than a shortcut holds; the same,
// before anything is saved, for a working folder of MAX_PATH characters or more; 0x8007007A,
// before anything is created, when a
// path does not fit its buffer; otherwise the failure of the folder query, of creating the
// shortcut object, of a setter (then nothing is saved), of getting its file interface or of Save.
HRESULT CreateGameTask(int scope, const GUID& gameId, int isSupport, int index, const wchar_t* name,
                       const wchar_t* targetPath, const wchar_t* arguments);

// Removes the game's task folders below both application data folders, whatever scope the game
// was added with. Both folders are queried before anything is deleted. A task folder that does
// not exist is skipped (not handed to the shell) and is no failure; both folders are attempted
// even when the first could not be deleted. Returns S_OK, or the first failure: a folder query's
// result, 0x8007007A for a path that does not fit, the reason (GetLastError) when whether a
// folder exists cannot be told, or for a folder that exists but could not be deleted
// HRESULT_FROM_WIN32 of the shell's error code (E_FAIL for the shell's own codes that are no
// Win32 errors).
HRESULT RemoveGameTasks(const GUID& gameId);

// Removes the game's play and support tasks of one scope (its PlayTasks and SupportTasks
// folders below that scope's application data folder), as an add does before it writes the
// tasks anew. Results as for RemoveGameTasks.
HRESULT RemoveScopeTasks(int scope, const GUID& gameId);
