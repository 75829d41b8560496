// Win32 error codes and HRESULTs that only the emulated system produces; the program itself
// never looks at them, so they are not part of the portable API.
#pragma once

#include "platform_api.h"

constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_NAME = 123;
constexpr LONG ERROR_BAD_PATHNAME = 161;
constexpr LONG ERROR_KEY_DELETED = 1018;
constexpr LONG ERROR_CANTWRITE = 1013;
constexpr LONG ERROR_CANTREAD = 1012;

// A text that is not a braced GUID, as the COM library reports it.
constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3);
constexpr HRESULT WBEM_E_INVALID_PARAMETER = static_cast<HRESULT>(0x80041008);
constexpr HRESULT WBEM_E_INVALID_QUERY_TYPE = static_cast<HRESULT>(0x80041018);
constexpr CIMTYPE CIM_STRING = 8;
