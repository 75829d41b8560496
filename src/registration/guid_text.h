// Reading a game's GUID from its braced text form, as typed on the command line or reported by
// WMI. The braced and unbraced forms are written by the platform (StringFromGUID2, UuidToStringA).
#pragma once

#include <string>

#include "platform_api.h"

// S_OK and the GUID in guid when text holds a braced GUID ("{" followed by hexadecimal groups of
// at most 8-4-4-2 2-2 2 2 2 2 2 digits, white space allowed before each group, the closing brace
// optional). Otherwise E_FAIL and GUID_NULL in guid. guid is written on every call.
HRESULT ParseGuid(const wchar_t* text, GUID* guid);

// True when text is exactly a braced GUID and nothing more: 38 characters, "{" 8-4-4-4-12
// hexadecimal digits (either case) "}". Where a name stands for a game (a registry key's name, an
// InstanceID), only that counts: ParseGuid would take "{B}.bak", "{B} old" or "{B" for B.
bool IsExactBracedGuid(const wchar_t* text);

// True, with the GUID in guid, when text is exactly a braced GUID (IsExactBracedGuid) other than
// the all-zero one: the only text that names a game, typed with -guid: or as a record's key name.
// guid is unspecified otherwise.
bool ParseGameGuid(const wchar_t* text, GUID* guid);

// The braced upper-case form of guid ("{9A5EA990-3034-4D6F-9128-01F3C61022BC}"), as the
// diagnostic lines show it.
std::wstring BracedGuid(const GUID& guid);
