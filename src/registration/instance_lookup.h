// Finding a registered game's instance GUID from its executable path, through WMI's games
// namespace.
#pragma once

#include "platform_api.h"

// S_OK when a game with that executable path is registered (its GUID then in *gameId unless
// gameId is null); otherwise *gameId is unchanged and the result is HRESULT_FROM_WIN32 of
// ERROR_NOT_FOUND when no game is registered with the path (the query yields none, or the system
// has no games namespace), and E_FAIL for every other failure. Only the first game that WMI yields
// is read, and it counts only if its InstanceID is a braced GUID. A path too long to be quoted
// whole in the query gives E_FAIL without a query. Prints nothing.
HRESULT FindGameInstanceId(const wchar_t* executablePath, GUID* gameId);
