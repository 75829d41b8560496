// What is wrong with a game's binary, as the system's loader sees it: the causes that make Game
// Explorer refuse a game, which Game Explorer itself reports only as a failure.
#pragma once

#include "platform_api.h"

// The largest game definition handed to Game Explorer: the emulated Game Explorer's own limit.
// Wine's reads whatever size the binary claims, and one that claims 4 GiB ends the process.
constexpr DWORD kMaxGameDefinitionBytes = 1024 * 1024;

// Loads the binary as a data file, as Game Explorer reads it (so an image it can read is not
// blamed), and looks for the game definition resource. S_OK when it is
// there; otherwise HRESULT_FROM_WIN32 of the reason: ERROR_FILE_NOT_FOUND, or
// ERROR_PATH_NOT_FOUND when its folder is missing too; ERROR_BAD_EXE_FORMAT for a file that is
// no executable or DLL; ERROR_RESOURCE_DATA_NOT_FOUND, ERROR_RESOURCE_TYPE_NOT_FOUND or
// ERROR_RESOURCE_NAME_NOT_FOUND when the resource is missing; or whatever else kept the system
// from reading it. Changes nothing on the system.
HRESULT CheckGameBinary(const wchar_t* executablePath);

// HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE) when the binary's game definition claims more than
// kMaxGameDefinitionBytes; else S_OK, also when the binary cannot be read or has no definition
// (Game Explorer then refuses the game, and CheckGameBinary says why).
HRESULT CheckGameDefinitionSize(const wchar_t* executablePath);
