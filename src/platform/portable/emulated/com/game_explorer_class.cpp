#include "emulated/com/game_explorer_class.h"

std::wstring GameExplorerClassKey() {
    wchar_t classId[CHARS_IN_GUID];
    StringFromGUID2(CLSID_GameExplorer, classId, CHARS_IN_GUID);
    return std::wstring(L"Software\\Classes\\CLSID\\") + classId;
}

namespace {

// S_OK when the key exists below HKEY_LOCAL_MACHINE, S_FALSE when not, or the failure to read.
HRESULT MachineKeyExists(RegistryStore& registry, const std::wstring& key) {
    std::vector<std::wstring> names;
    SplitKeyPath(key, names);
    bool registered = false;
    LONG read = registry.Read(Hive::LocalMachine, [&](const RegistryNode& root) {
        registered = FindKey(root, names) != nullptr;
    });
    if (read != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(read);
    }
    return registered ? S_OK : S_FALSE;
}

}  // namespace

HRESULT GameExplorerRegistration(RegistryStore& registry) {
    const HRESULT exists = MachineKeyExists(registry, GameExplorerClassKey());
    return exists == S_FALSE ? REGDB_E_CLASSNOTREG : exists;
}

HRESULT GamesNamespaceRegistration(RegistryStore& registry) {
    HRESULT exists = MachineKeyExists(registry, GameExplorerClassKey());
    if (exists == S_OK) {
        exists = MachineKeyExists(registry, kGamesNamespaceKey);
    }
    return exists == S_FALSE ? WBEM_E_INVALID_NAMESPACE : exists;
}
