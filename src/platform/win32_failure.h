// A failed Win32 call's error code as the HRESULT the program reports.
#pragma once

#include "platform_api.h"

// HRESULT_FROM_WIN32 of error; E_FAIL for ERROR_SUCCESS, since a call that failed without
// saying why has still failed.
inline HRESULT HResultFromWin32Error(DWORD error) {
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(static_cast<LONG>(error));
}

// Whether a failed file call's error says that the file, or a folder on its way, does not exist.
inline bool IsMissingPathError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The same for what the last failed call left in GetLastError.
inline HRESULT LastErrorResult() {
    return HResultFromWin32Error(GetLastError());
}
