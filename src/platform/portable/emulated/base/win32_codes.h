// Win32 error codes and HRESULTs that only the emulated system produces; the program itself
// never looks at them, so they are not part of the portable API.
#pragma once

#include <cerrno>

#include "platform_api.h"

constexpr LONG ERROR_BAD_PATHNAME = 161;
constexpr LONG ERROR_ENVVAR_NOT_FOUND = 203;
constexpr LONG ERROR_DIRECTORY = 267;  // a file where a folder was asked for
constexpr LONG ERROR_NOT_OWNER = 288;
constexpr LONG ERROR_KEY_DELETED = 1018;
constexpr LONG ERROR_CANTWRITE = 1013;
constexpr LONG ERROR_CANTREAD = 1012;

// Registry value types beside REG_SZ and REG_EXPAND_SZ, which the program writes itself.
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

// A text that is not a braced GUID, as the COM library reports it.
constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3);

// The Win32 error for a host errno: ERROR_SUCCESS for 0, otherwise for errors without a closer
// match.
inline LONG Win32ErrorFromErrno(int error, LONG otherwise) {
    switch (error) {
        case 0:
            return ERROR_SUCCESS;
        case EACCES:
        case EPERM:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case ENOENT:
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case ENAMETOOLONG:
            return ERROR_FILENAME_EXCED_RANGE;
        case ENOTEMPTY:
            return ERROR_DIR_NOT_EMPTY;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return otherwise;
    }
}

constexpr HRESULT WBEM_E_INVALID_PARAMETER = static_cast<HRESULT>(0x80041008);
constexpr HRESULT WBEM_E_INVALID_QUERY_TYPE = static_cast<HRESULT>(0x80041018);
constexpr CIMTYPE CIM_STRING = 8;
