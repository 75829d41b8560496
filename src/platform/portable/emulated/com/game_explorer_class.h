// Whether Game Explorer and its WMI games namespace are installed on the emulated system: keys
// below HKEY_LOCAL_MACHINE say so. A new system has both. Deleting the class key gives a system
// without Game Explorer (and so without the namespace); deleting the namespace key alone gives
// Game Explorer without its namespace, as Wine has it.
#pragma once

#include <string>

#include "emulated/registry/registry_store.h"
#include "platform/gameux.h"

inline constexpr const wchar_t* kGameExplorerClassName = L"Game Explorer";

// Software\Classes\CLSID\{CLSID_GameExplorer}, below HKEY_LOCAL_MACHINE.
std::wstring GameExplorerClassKey();

// The emulated WMI repository's key for the games namespace, below HKEY_LOCAL_MACHINE.
inline constexpr const wchar_t* kGamesNamespaceKey =
    L"Software\\Microsoft\\Wbem\\Namespaces\\root\\cimv2\\Applications\\Games";

// S_OK when Game Explorer's class and its games namespace are both registered,
// WBEM_E_INVALID_NAMESPACE when either is not, or the failure to read the registry.
HRESULT GamesNamespaceRegistration(RegistryStore& registry);

// S_OK when the class is registered, REGDB_E_CLASSNOTREG when not, or the failure to read the
// registry (a corrupted hive file yields HRESULT_FROM_WIN32(ERROR_INVALID_DATA)).
HRESULT GameExplorerRegistration(RegistryStore& registry);
