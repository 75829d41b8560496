// The Windows API that the program calls: the SDK's headers, plus the Game Explorer declarations
// that MinGW-w64 does not ship. Internet shortcuts (intshcut.h) come with the SDK.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <intshcut.h>
#include <objidl.h>
#include <oleauto.h>
#include <rpc.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wbemidl.h>
#include <wchar.h>

#include "game_explorer.h"
