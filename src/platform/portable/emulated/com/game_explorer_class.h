// Whether Game Explorer is installed on the emulated system: its class key below
// HKEY_LOCAL_MACHINE says so. A new system has it; deleting it gives a system without Game
// Explorer (and without its WMI games namespace).
#pragma once

#include <string>

#include "emulated/registry/registry_store.h"
#include "platform/gameux.h"

inline constexpr const wchar_t* kGameExplorerClassName = L"Game Explorer";

// Software\Classes\CLSID\{CLSID_GameExplorer}, below HKEY_LOCAL_MACHINE.
std::wstring GameExplorerClassKey();

// S_OK when the class is registered, REGDB_E_CLASSNOTREG when not, or the failure to read the
// registry (a corrupted hive file yields HRESULT_FROM_WIN32(ERROR_INVALID_DATA)).
HRESULT GameExplorerRegistration(RegistryStore& registry);
