// Finding a registered game's instance GUID from its executable path, through WMI's games
// namespace.
#pragma once

#include "platform_api.h"

// What a lookup of a game by its path gives when no game is registered with it.
inline constexpr HRESULT kNoGameFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

// S_OK when a game with that executable path is registered (its GUID then in *gameId unless
// gameId is null); otherwise *gameId is unchanged and the result is kNoGameFound when no game is
// registered with the path (the query yields none, or the system
// has no games namespace), else the failing call's own HRESULT: E_OUTOFMEMORY for a string that
// could not be made, E_POINTER for a call that succeeded without giving its object. Only the
// first game that WMI yields is read, and it counts only if its InstanceID is a braced GUID
// (otherwise HRESULT_FROM_WIN32(ERROR_INVALID_DATA)). A path too long to be quoted whole in the
// query gives HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE) without a query. Prints nothing.
HRESULT FindGameInstanceId(const wchar_t* executablePath, GUID* gameId);
