// Adding a game to Game Explorer and removing it again. Where the Game Explorer object cannot be
// created, the game is recorded in (or removed from) the upgrade registry keys under
// GamesToFindOnWindowsUpgrade instead. Neither operation prints anything or throws.
#pragma once

#include "platform/gameux.h"

// Registers the game for scope (GIS_CURRENT_USER, or any other value for all users). gameId is in
// and out: GUID_NULL asks for a new GUID; on return it holds the GUID the game was registered
// under. Returns E_INVALIDARG for a null argument, E_OUTOFMEMORY when a text copy fails. Through
// Game Explorer: the failure of VerifyAccess, E_ACCESSDENIED when it denies access, else the
// result of AddGame. Through the upgrade keys: the failure to create the Game Explorer object
// when the parent key cannot be opened either, the failure of CoCreateGuid when a new GUID was
// needed (nothing written), else S_OK, even if the game's key or values could not be written.
HRESULT RegisterGame(const wchar_t* executablePath, const wchar_t* installDirectory, int scope,
                     GUID* gameId);

// Removes the game's registration: Game Explorer's RemoveGame result when the object can be
// created; otherwise both upgrade keys are deleted and the result is S_OK.
HRESULT UnregisterGame(const GUID& gameId);
