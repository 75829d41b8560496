#include "emulated/run_state/system_creation.h"

#include "emulated/base/win32_codes.h"
#include "emulated/com/game_explorer_class.h"
#include "emulated/host/atomic_file.h"
#include "emulated/host/host_files.h"
#include "emulated/location/system_lock.h"
#include "emulated/registry/registry_store.h"
#include "text/host_text.h"

namespace {

// The contents of a hive that a new system starts with.
std::unique_ptr<RegistryNode> InitialHive(Hive hive) {
    auto root = std::make_unique<RegistryNode>();
    if (hive == Hive::LocalMachine) {
        CreateKeyPath(*root, GameExplorerClassKey())
            .SetValue({L"", REG_SZ, StringValueData(kGameExplorerClassName)});
        CreateKeyPath(*root, kGamesNamespaceKey);
    }
    return root;
}

LONG CreateFolders(const SystemLayout& layout, const SystemUser& user) {
    const std::filesystem::path profile =
        layout.DriveC() / "Users" / WideToHost(user.loginName) / "AppData" / "Local";
    for (const std::filesystem::path& folder :
         {layout.RegistryFolder(), layout.DriveC() / "ProgramData", profile}) {
        if (int error = MakeHostFolders(folder); error != 0) {
            return Win32ErrorFromErrno(error, ERROR_CANTWRITE);
        }
    }
    return ERROR_SUCCESS;
}

}  // namespace

LONG CreateSystem(const SystemLayout& layout, const SystemUser& user) {
    if (layout.root.empty()) {
        // Blaming a path would blame the game the run was asked about.
        return ERROR_ENVVAR_NOT_FOUND;
    }
    if (LONG created = CreateFolders(layout, user); created != ERROR_SUCCESS) {
        return created;
    }
    // Under the exclusive lock, so that two first runs at once write each hive only once.
    SystemLock lock(layout.LockFile(), SystemLock::Mode::Exclusive);
    if (lock.Error() != 0) {
        return Win32ErrorFromErrno(lock.Error(), ERROR_CANTWRITE);
    }
    for (Hive hive : {Hive::CurrentUser, Hive::LocalMachine}) {
        // Every hive file is written under this lock: a temporary file seen now is a leftover.
        if (int error = RemoveStaleTemporaries(HiveFile(layout, hive)); error != 0) {
            return Win32ErrorFromErrno(error, ERROR_CANTWRITE);
        }
        bool exists = false;
        if (int error = HostEntryExists(HiveFile(layout, hive), exists); error != 0) {
            return Win32ErrorFromErrno(error, ERROR_CANTREAD);
        }
        if (!exists) {
            if (LONG saved = SaveHive(layout, hive, *InitialHive(hive)); saved != ERROR_SUCCESS) {
                return saved;
            }
        }
    }
    return ERROR_SUCCESS;
}
