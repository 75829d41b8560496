// The registry places that hold one key per game, named by its braced GUID, with the game's path
// in a value: Game Explorer's records (of the current user, of all users) and the upgrade keys
// (of the current user, of all users). The lookup by path reads them; the removal of a GUID
// cleans each of them, so that nothing a lookup reads outlives the game's removal.
#pragma once

#include <string>
#include <vector>

#include "platform_api.h"

struct GameRecordPlace {
    HKEY root = nullptr;
    // Below root: the key holding one key per game. Empty for the WMI games namespace, which is
    // Game Explorer's own view and no key of its own.
    std::wstring parentKey;
    // The value naming the game's executable path.
    const wchar_t* pathValue = nullptr;
    // Game Explorer's record, which Game Explorer itself removes where it is present.
    bool gameExplorerRecord = false;
    // S_OK, or why the place cannot be named (the current user's SID could not be had).
    HRESULT unavailable = S_OK;
};

// The four places, in the order the lookup asks them.
std::vector<GameRecordPlace> GameRecordPlaces();

// True when gameId's own records name executablePath (compared as the lookup compares it), so
// that a delete by path may remove gameId's registration and tasks. Its records are its Game
// Explorer records where Game Explorer is present and keeps one, else every record of it in the
// four places; each of them that exists and can be read must name the path (a GUID with no
// record at all contradicts nothing). A record under gameId that names another path means the record that led
// here is stale or planted: in a place the user can write (the current user's upgrade keys) it
// must not steer an elevated uninstall to another game.
bool RecordsOfGuidNamePath(const GUID& gameId, const wchar_t* executablePath,
                           bool gameExplorerPresent);

// Deletes gameId's key below place, with its values and subkeys (64-bit view). S_OK when it was
// deleted, S_FALSE when it was not there or the place cannot be read (as the lookup skips it),
// else HRESULT_FROM_WIN32 of the registry's error deleting it (a key that stays).
HRESULT DeleteGameRecord(const GameRecordPlace& place, const GUID& gameId);
