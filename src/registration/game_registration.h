// Adding a game to Game Explorer and removing it again. Where the Game Explorer object cannot be
// created, the game is recorded in (or removed from) the upgrade registry keys under
// GamesToFindOnWindowsUpgrade instead. Neither operation prints anything or throws.
#pragma once

#include "platform/gameux.h"

// Registers the game for scope (GIS_CURRENT_USER, or any other value for all users). gameId is in
// and out: GUID_NULL asks for a new GUID; on return it holds the GUID the game was registered
// under. Returns E_INVALIDARG for a null argument or an empty executable path,
// HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE) for a path of MAX_PATH characters or more, both
// before anything is called, and E_OUTOFMEMORY when a text copy fails. Through Game Explorer
// (where its object can be created): CheckGameDefinitionSize's failure, before Game Explorer
// sees the game; the failure of VerifyAccess, E_ACCESSDENIED when it denies access, else the
// result of AddGame. Through the upgrade keys (always in the registry's 64-bit view): the
// failure of CoCreateGuid when a new GUID was needed (nothing written), HRESULT_FROM_WIN32 of
// the registry's error when a key or a value cannot be written, else S_OK.
HRESULT RegisterGame(const wchar_t* executablePath, const wchar_t* installDirectory, int scope,
                     GUID* gameId);

// Removes the game's registration: Game Explorer's RemoveGame result when the object can be
// created; otherwise both upgrade keys are deleted (64-bit view) and the result is S_OK when
// neither is left, also when neither existed, or HRESULT_FROM_WIN32 of the first registry error
// that leaves one in place (the other is still attempted).
HRESULT UnregisterGame(const GUID& gameId);
