// Writing one task's shortcut in the game's task tree (task_shortcuts.h).
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
