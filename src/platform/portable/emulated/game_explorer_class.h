// Whether Game Explorer is installed on the emulated system: its class key below
// HKEY_LOCAL_MACHINE says so. A new system has it; deleting it gives a system without Game
// Explorer (and without its WMI games namespace).
#pragma once

#include "platform_api.h"
#include "registry_store.h"

inline constexpr const wchar_t* kGameExplorerClassKey =
    L"Software\\Classes\\CLSID\\{9A5EA990-3034-4D6F-9128-01F3C61022BC}";
inline constexpr const wchar_t* kGameExplorerClassName = L"Game Explorer";

// S_OK when the class is registered, REGDB_E_CLASSNOTREG when not, or the failure to read the
// registry (a corrupted hive file yields HRESULT_FROM_WIN32(ERROR_INVALID_DATA)).
HRESULT GameExplorerRegistration(RegistryStore& registry);
