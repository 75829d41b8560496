// The registry functions of the emulated system: key handles over the hive files.
#pragma once

#include <functional>

#include "emulated/registry/registry_handles.h"
#include "emulated/registry/registry_store.h"
#include "platform_api.h"

class EmulatedRegistry {
  public:
    explicit EmulatedRegistry(RegistryStore& store);

    // The results are those of the Windows functions of the same names (system_backend.h).
    LSTATUS CreateKey(HKEY root, LPCWSTR subKey, HKEY* key, DWORD* disposition);
    LSTATUS SetValue(HKEY key, LPCWSTR valueName, DWORD type, const BYTE* data, DWORD byteCount);
    LSTATUS OpenExistingKey(HKEY root, LPCWSTR subKey, HKEY* key);
    LSTATUS CloseKey(HKEY key);
    // RegDeleteTreeW with a subkey: root may be a predefined root or an open key.
    LSTATUS DeleteTree(HKEY root, LPCWSTR subKey);
    // RegEnumKeyExW: subkeys in the order the registry editor lists them.
    LSTATUS EnumKey(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength);
    // RegQueryValueExW: string data comes back as the host's wide characters.
    LSTATUS QueryValue(HKEY key, LPCWSTR valueName, DWORD* type, BYTE* data, DWORD* byteCount);

    const RegistryHandles& Handles() const { return handles_; }

  private:
    // Reads the node of an open key: ERROR_INVALID_HANDLE for a key that is not open,
    // ERROR_KEY_DELETED when its key is gone, the hive's failure, else what read returns.
    LSTATUS ReadOpenKey(HKEY key, const std::function<LSTATUS(const RegistryNode& node)>& read);
    RegistryStore& store_;
    RegistryHandles handles_;
};
