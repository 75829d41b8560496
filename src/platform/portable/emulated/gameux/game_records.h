// The games that the emulated Game Explorer knows, kept where Windows keeps them
// (platform/gameux.h): below its records key, in "Games" for all users and in a key named by the
// user's security identifier for the current user, one key per game named by its braced instance
// GUID.
#pragma once

#include <string>
#include <vector>

#include "emulated/gameux/game_definition.h"
#include "emulated/registry/registry_store.h"
#include "platform/gameux.h"

struct GameRecord {
    std::wstring instanceId;  // braced text, the name of the game's key
    std::wstring binaryPath;
    std::wstring installDirectory;
    GAME_INSTALL_SCOPE scope = GIS_ALL_USERS;
    GameDefinition definition;  // what the game's binary says of it
};

class GameRecords {
  public:
    GameRecords(RegistryStore& registry, std::wstring userId);

    // Records (or records again) the game under instanceId for the scope (GIS_CURRENT_USER or
    // GIS_ALL_USERS; anything else is E_INVALIDARG). S_OK or the registry's failure.
    HRESULT Add(const GameRecord& game);

    // Removes one record of the game, as Game Explorer does per call: the all users' one when
    // there is one, else the current user's. HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) when
    // neither scope has it, or the registry's failure.
    HRESULT Remove(REFGUID instanceId);

    // Every game of both scopes (all users first) whose binary path names binaryPath, compared
    // as Windows compares paths. S_OK (possibly with none found) or the registry's failure.
    HRESULT FindByBinaryPath(std::wstring_view binaryPath, std::vector<GameRecord>& found);

  private:
    std::wstring ScopeKey(GAME_INSTALL_SCOPE scope) const;

    RegistryStore& registry_;
    std::wstring userId_;
};
