// Adding a game to Game Explorer. Where the Game Explorer object cannot be created, the game is
// recorded in the upgrade registry keys under GamesToFindOnWindowsUpgrade instead. Prints nothing,
// never throws. (Removing it again is RemoveEveryRegistration, game_identity.h.)
#pragma once

#include "platform/gameux.h"
#include "platform/owners.h"

// Registers the game for scope (GIS_CURRENT_USER, or any other value for all users) under gameId
// (ChooseGameToAdd decides it). Returns E_INVALIDARG for a null argument, an empty executable
// path or the all-zero GUID,
// HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE) for a path of MAX_PATH characters or more, both
// before anything is called, and E_OUTOFMEMORY when a text copy fails. Through Game Explorer
// (where its object can be created): CheckGameDefinitionSize's failure, before Game Explorer
// sees the game; the failure of VerifyAccess, E_ACCESSDENIED when it denies access, else the
// result of AddGame; when Game Explorer refused the game and the binary has a fault that explains
// why (CheckGameBinary), that fault instead. Through the upgrade keys (always in the registry's
// 64-bit view): HRESULT_FROM_WIN32 of the registry's error when a key or a value cannot be
// written, else S_OK.
HRESULT RegisterGame(const wchar_t* executablePath, const wchar_t* installDirectory, int scope,
                     const GUID& gameId);

// Creates the object in explorer (COM must be initialised on the thread). False, explorer null,
// where it cannot be created: Game Explorer is missing (Windows 10 from version 1803, Wine
// without gameux) or broken, and the game goes to the upgrade keys instead.
bool CreateGameExplorer(ComPtr<IGameExplorer>& explorer);

// Whether Game Explorer's object can be created on this system: the one answer to whether
// this system has Game Explorer at all.
bool GameExplorerIsPresent();
