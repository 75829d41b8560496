// A path made absolute the way the system does it, so that what is registered still names the
// same file when the game is later started or looked up from another folder.
#pragma once

#include <string>

#include "platform_api.h"

// S_OK and path completed against the current folder (GetFullPathNameW) in full; E_INVALIDARG
// for an empty path or one that the system cannot make full. full is unchanged on failure.
HRESULT FullPathOf(const std::wstring& path, std::wstring& full);
