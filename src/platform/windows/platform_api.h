// The Windows API that the program calls: the SDK's headers (Internet shortcuts, intshcut.h,
// included). Game Explorer, which MinGW-w64 does not declare, is in platform/gameux.h.
#pragma once

#include <windows.h>

#include <intshcut.h>
#include <objbase.h>
#include <objidl.h>
#include <oleauto.h>
#include <rpc.h>
#include <sddl.h>  // ConvertSidToStringSidW
#include <shlobj.h>
#include <shlwapi.h>
#include <strmif.h>  // CHARS_IN_GUID
#include <wbemidl.h>
#include <wchar.h>
