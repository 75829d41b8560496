// The entries of one folder, as FindFirstFileW and FindNextFileW give them: what the task
// listing and the task removal walk through.
#pragma once

#include <string>
#include <vector>

#include "platform_api.h"

struct FolderEntry {
    std::wstring name;
    DWORD attributes = 0;  // as listed: a link's own, with FILE_ATTRIBUTE_REPARSE_POINT
};

// The entries of folder but "." and "..". A folder that does not exist has none; that is no
// failure, since a game without tasks of a kind has no folder for them. S_OK, 0x8007007A when
// the folder's path leaves no room for the pattern, or the listing's failure (HRESULT of its
// error), also for a listing cut short, which would hide entries as silently as a missing folder.
HRESULT ListFolderEntries(const wchar_t* folder, std::vector<FolderEntry>& entries);
