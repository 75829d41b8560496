// Finding a game by its executable path among registry keys that hold one key per game, named by
// the game's braced GUID, with the game's path in a string value.
#pragma once

#include "platform_api.h"

// Looks through the subkeys of parentKey below root (64-bit view) for the first game whose
// pathValue names executablePath (a full path), compared as the system compares paths: without
// regard to case, and taking every spelling of a path as that path (ComparablePathOf). A subkey
// whose name is no braced GUID (or the all-zero one), or whose value is missing, not a string or
// unreadable, is skipped. S_OK with the GUID in *gameId; S_FALSE when the key was read and holds no
// such game, also when it does not exist; a negative HRESULT when it could not be read. *gameId is
// written only on S_OK.
HRESULT FindGameInKeys(HKEY root, const wchar_t* parentKey, const wchar_t* pathValue,
                       const wchar_t* executablePath, GUID* gameId);

// Whether the one game key gameKey below root (64-bit view) names executablePath in pathValue,
// compared as above: S_OK when it does, S_FALSE when the key is there and names no such path
// (also when the value is missing or no string), else HRESULT_FROM_WIN32 of the error opening
// the key (ERROR_FILE_NOT_FOUND when it is not there).
HRESULT GameKeyNamesPath(HKEY root, const wchar_t* gameKey, const wchar_t* pathValue,
                         const wchar_t* executablePath);
