// Finding a game by its executable path among registry keys that hold one key per game, named by
// the game's braced GUID, with the game's path in a string value.
#pragma once

#include <string>
#include <vector>

#include "platform_api.h"
#include "registration/game_path.h"

// Looks through the subkeys of parentKey below root (64-bit view) for the first game whose
// pathValue names the game at path (RecordedPathNames), whatever spelling of it the record holds. A
// subkey whose name is no braced GUID (or the all-zero one), or whose value is missing, not a
// string or unreadable, is skipped. S_OK with the GUID in *gameId; S_FALSE when the key was read
// and holds no such game, also when it does not exist; a negative HRESULT when it could not be
// read. *gameId is written only on S_OK.
HRESULT FindGameInKeys(HKEY root, const wchar_t* parentKey, const wchar_t* pathValue,
                       const GamePath& path, GUID* gameId);

// The path that the one game key gameKey below root (64-bit view) holds in pathValue: S_OK with
// it in path (empty when the value is missing or no string), else HRESULT_FROM_WIN32 of the
// error opening the key (ERROR_FILE_NOT_FOUND when it is not there).
HRESULT ReadGameKeyPath(HKEY root, const wchar_t* gameKey, const wchar_t* pathValue,
                        std::wstring& path);

// The subkeys of parentKey below root (64-bit view) that are named exactly by a braced GUID
// other than the nil one, in the order the registry lists them. S_OK (possibly none, also when
// the key does not exist) or HRESULT_FROM_WIN32 of the error reading it.
HRESULT GameKeysBelow(HKEY root, const wchar_t* parentKey, std::vector<GUID>& games);
