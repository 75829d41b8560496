#include "game_explorer_class.h"

HRESULT GameExplorerRegistration(RegistryStore& registry) {
    std::vector<std::wstring> names;
    SplitKeyPath(kGameExplorerClassKey, names);
    bool registered = false;
    LONG read = registry.Read(Hive::LocalMachine, [&](const RegistryNode& root) {
        registered = FindKey(root, names) != nullptr;
    });
    if (read != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(read);
    }
    return registered ? S_OK : REGDB_E_CLASSNOTREG;
}
