// How the portable backends hand out the user of a process token: a TOKEN_USER whose SID is
// kept, right behind it in the caller's buffer, as its terminated text form, and the copies of
// that text that ConvertSidToStringSidW allocates for LocalFree.
#pragma once

#include <string_view>

#include "platform_api.h"

// GetTokenInformation(TokenUser) for a user with this SID text: TRUE with the structure written,
// or FALSE with ERROR_INSUFFICIENT_BUFFER and the size needed in *returnLength.
BOOL WriteTokenUser(std::wstring_view sidText, void* information, DWORD length,
                    DWORD* returnLength);

// The text of a SID that WriteTokenUser wrote.
std::wstring_view SidText(PSID sid);

// A copy of text to be freed with FreeLocalText; null when memory runs short.
wchar_t* AllocateLocalText(std::wstring_view text);
void FreeLocalText(HLOCAL text);
