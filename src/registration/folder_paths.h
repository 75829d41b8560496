// The paths that the commands and the task shortcuts make: a game's full path, a path's folder,
// and the folders of a game's tasks below an application data folder.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/owners.h"
#include "platform_api.h"
#include "task_kind.h"

// The text a path call writes into the buffer it is given: call(buffer, capacity) returns the
// characters written without the terminator, the size needed with it when the buffer is too
// short, or 0 with the reason left for GetLastError. Most paths fit MAX_PATH; a longer one is asked
// for again with the size the first call reported. S_OK and text; the reason when the call
// failed; HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER) when the text never fits. text is
// unchanged on failure.
HRESULT PathCallText(const std::function<DWORD(wchar_t* buffer, DWORD capacity)>& call,
                     std::wstring& text);

// S_OK and path completed against the current folder (GetFullPathNameW) in full; E_INVALIDARG
// for an empty path or one that the system cannot make full. full is unchanged on failure.
HRESULT FullPathOf(const std::wstring& path, std::wstring& full);

// The part of path before its last "\" or "/" (that separator excluded, except at a drive root
// or the start of the path: "C:\demo.exe" gives "C:\"); empty when the path has neither.
// Nothing else changes: "." and ".." stay, no file is looked at.
std::wstring DirectoryOf(const std::wstring& path);

// The folder a shortcut starts its target in: the folder of the target's full path, with its
// trailing backslash. E_INVALIDARG, and folder unchanged, when the full path cannot be had.
HRESULT WorkingFolderOf(const std::wstring& target, std::wstring& folder);

// The file or folder at path (links followed), opened only to ask the system about it: no access
// asked for, every sharing allowed. Empty when it cannot be opened, the reason left for
// GetLastError.
UniqueFileHandle OpenToAsk(const std::wstring& path);

// Room, in wide characters with the terminator, for a path of a game's task tree: a special
// folder's path (at most MAX_PATH) with the tree below it.
inline constexpr std::size_t kTaskPathCapacity = 512;

// No index: the path ends at the kind folder.
inline constexpr int kNoTaskIndex = -1;

// The special folder (CSIDL) a scope's tasks live below: the user's local application data for
// GIS_CURRENT_USER, the application data common to all users for any other scope.
int SpecialFolderFor(int scope);

// Where a game's task tree starts: the path of a special folder and the game's braced GUID.
struct GameTaskRoot {
    wchar_t specialFolder[MAX_PATH];
    wchar_t guidText[CHARS_IN_GUID];
};

// Asks the system for specialFolderId's path (SHGetFolderPathW) and makes gameId's braced text.
// S_OK, or the failure of the folder query (root then unusable).
HRESULT LocateGameTaskRoot(int specialFolderId, const GUID& gameId, GameTaskRoot& root);

// Builds into folder (capacity wide characters, terminator included) the folder below
// specialFolder that holds every game's task tree: Microsoft\Windows\GameExplorer. S_OK, or the
// failure of FormatWide.
HRESULT GameExplorerFolder(wchar_t* folder, std::size_t capacity, const wchar_t* specialFolder);

// Builds into folder (capacity wide characters, terminator included) the game's task tree below
// specialFolder: the folder Microsoft\Windows\GameExplorer there, then guidText (the braced
// GUID); with a kind, its "\PlayTasks" or "\SupportTasks" folder; with a kind and an index, that
// index's folder. S_OK, or the failure of FormatWide (0x8007007A when the path does not fit,
// folder then holding a cut path that must not be used).
HRESULT GameTaskFolder(wchar_t* folder, std::size_t capacity, const wchar_t* specialFolder,
                       const wchar_t* guidText);
HRESULT TaskKindFolder(wchar_t* folder, std::size_t capacity, const wchar_t* specialFolder,
                       const wchar_t* guidText, TaskKind kind, int index = kNoTaskIndex);

// The folders of the game's task tree below root's special folder, outermost first: its
// Microsoft\Windows\GameExplorer folder, the game's folder, and with a kind that kind's folder
// and with an index too that index's folder (the last one being the folder GameTaskFolder or
// TaskKindFolder builds). S_OK, or 0x8007007A when a path does not fit (chain then unchanged).
HRESULT TaskFolderChain(const GameTaskRoot& root, std::optional<TaskKind> kind, int index,
                        std::vector<std::wstring>& chain);
