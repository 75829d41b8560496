// The registry places that hold one key per game, named by its braced GUID, with the game's path
// in a value: Game Explorer's records (of the current user, of all users) and the upgrade keys
// (of the current user, of all users). The lookup by path reads them; the removal of a GUID
// cleans each of them, so that nothing a lookup reads outlives the game's removal.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/gameux.h"

struct GameRecordPlace {
    HKEY root = nullptr;
    // Below root: the key holding one key per game.
    std::wstring parentKey;
    // The value naming the game's executable path.
    const wchar_t* pathValue = nullptr;
    // Game Explorer's record, which Game Explorer itself removes where it is present.
    bool gameExplorerRecord = false;
    // The scope whose records the place holds (GIS_CURRENT_USER or GIS_ALL_USERS).
    int scope = GIS_ALL_USERS;
    // S_OK, or why the place cannot be named (the current user's SID could not be had).
    HRESULT availability = S_OK;
    // WMI's games namespace, where a lookup found the game: Game Explorer's own view, no key of
    // its own (root null, parentKey empty).
    bool throughWmi = false;
};

// The four places, in the order the lookup asks them.
std::vector<GameRecordPlace> GameRecordPlaces();

// The upgrade keys of scope (GIS_CURRENT_USER: the current user's; any other: all users'), where
// a game is recorded where Game Explorer is missing.
GameRecordPlace UpgradeKeysOf(int scope);

// One record of a game: where it is and the path it names.
struct GuidRecord {
    GameRecordPlace place;
    std::wstring path;
};

// gameId's record at place, unless it is not there or cannot be read.
std::optional<GuidRecord> RecordOfGuid(const GameRecordPlace& place, const GUID& gameId);

// Every record of gameId that exists and can be read, in the order of places. A record without a
// readable path value is listed with an empty path.
std::vector<GuidRecord> RecordsOfGuid(
    const GUID& gameId, const std::vector<GameRecordPlace>& places = GameRecordPlaces());

// S_OK when gameId has a record in any of the places, S_FALSE when every place was read and none
// holds one, else why a place could not be read (a record may be there).
HRESULT FindAnyRecordOf(const GUID& gameId);

// Deletes gameId's key below place, with its values and subkeys (64-bit view). S_OK when it was
// deleted, S_FALSE when it was not there (nor the key that holds the place's games), else why the
// place could not be named or read or the key deleted (a record that may stay).
HRESULT DeleteGameRecord(const GameRecordPlace& place, const GUID& gameId);
