// What is wrong with a game's binary, as the system's loader sees it: the causes that make Game
// Explorer refuse a game, which Game Explorer itself reports only as a failure.
#pragma once

#include "platform_api.h"

// Loads the binary as a data file and looks for the game definition resource. S_OK when it is
// there; otherwise HRESULT_FROM_WIN32 of the reason: ERROR_FILE_NOT_FOUND, or
// ERROR_PATH_NOT_FOUND when its folder is missing too; ERROR_BAD_EXE_FORMAT for a file that is
// no executable or DLL; ERROR_RESOURCE_DATA_NOT_FOUND, ERROR_RESOURCE_TYPE_NOT_FOUND or
// ERROR_RESOURCE_NAME_NOT_FOUND when the resource is missing; or whatever else kept the system
// from reading it. Changes nothing on the system.
HRESULT CheckGameBinary(const wchar_t* executablePath);

// The cause to report for a registration of executablePath that failed with result: the
// binary's fault when CheckGameBinary finds one, else result itself. An empty path (one that
// could not be made full) is not checked.
HRESULT RegistrationFailureCause(const wchar_t* executablePath, HRESULT result);
