#include "emulated/com/game_explorer_class.h"

std::wstring GameExplorerClassKey() {
    wchar_t classId[CHARS_IN_GUID];
    StringFromGUID2(CLSID_GameExplorer, classId, CHARS_IN_GUID);
    return std::wstring(L"Software\\Classes\\CLSID\\") + classId;
}

HRESULT GameExplorerRegistration(RegistryStore& registry) {
    std::vector<std::wstring> names;
    SplitKeyPath(GameExplorerClassKey(), names);
    bool registered = false;
    LONG read = registry.Read(Hive::LocalMachine, [&](const RegistryNode& root) {
        registered = FindKey(root, names) != nullptr;
    });
    if (read != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(read);
    }
    return registered ? S_OK : REGDB_E_CLASSNOTREG;
}
