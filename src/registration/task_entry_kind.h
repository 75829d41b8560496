// What an entry of a game's task tree is, with links told apart: a reparse point (a symbolic
// link, junction or mount point) stands for a file or folder elsewhere, so the program never
// writes into one, enters one or deletes through one, wherever in the tree it is.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform_api.h"

enum class TaskEntryKind { Missing, PlainFolder, PlainFile, Link };

// By the attributes that a listing or GetFileAttributesW gave: a reparse point is a Link,
// whatever else it is.
TaskEntryKind TaskEntryKindOf(DWORD attributes);

// The first of chain's folders (outermost first, as TaskFolderChain gives them) that is not a
// plain folder, by GetFileAttributesW: where it is and what it is (Missing when it or a folder on
// the way does not exist). Nothing below it is looked at. at is chain.size() and kind PlainFolder
// when every one is a folder. S_OK, or the reason (HRESULT of the error) why whether one exists
// cannot be told.
struct ChainBreak {
    std::size_t at = 0;
    TaskEntryKind kind = TaskEntryKind::PlainFolder;
};
HRESULT FindChainBreak(const std::vector<std::wstring>& chain, ChainBreak& found);

// The path of the file or folder at path with every link on the way followed
// (GetFinalPathNameByHandleW): S_OK and it, or why it cannot be had.
HRESULT FinalPathOf(const std::wstring& path, std::wstring& finalPath);

// Whether the file listed as name in a folder whose final path is finalFolder is that entry
// itself, and no link the system followed without saying so (Wine lists a symbolic link to a file
// as a plain file, and deletes the file it leads to): S_OK when its final path is finalFolder's
// with its name, kTaskFolderHoldsLinkOrForeignEntry when it leads elsewhere, else why that cannot
// be told.
HRESULT CheckFileIsItsFolders(const std::wstring& finalFolder, const std::wstring& folder,
                              const std::wstring& name);
