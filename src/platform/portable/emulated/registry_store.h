// The emulated registry on disk: one file per hive in the system's registry folder, each read
// and changed as a whole under the system lock. A change loads the file, applies itself and
// writes the file back atomically before the lock is released, so concurrent runs never lose
// each other's changes. A file that cannot be parsed makes every operation on its hive fail
// with ERROR_INVALID_DATA and is never overwritten.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "platform_api.h"
#include "registry_tree.h"
#include "system_location.h"

enum class Hive { CurrentUser, LocalMachine };

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE": the root of the hive's key paths and its file name.
std::wstring_view HiveName(Hive hive);

class RegistryStore {
  public:
    // An empty layout root means that the host gives no place for a system: every operation
    // then fails with ERROR_PATH_NOT_FOUND.
    RegistryStore(SystemLayout layout, SystemUser user);

    // Hands the hive to read under a shared lock. ERROR_SUCCESS, or the failure to prepare the
    // system or to load the hive (ERROR_INVALID_DATA for a file that does not parse).
    LONG Read(Hive hive, const std::function<void(const RegistryNode& root)>& read);

    // Hands the hive to change under the exclusive lock and writes it back when change set
    // changed. The result is change's own, or a failure to prepare, load or save.
    LONG Update(Hive hive, const std::function<LONG(RegistryNode& root, bool& changed)>& change);

    std::filesystem::path HiveFile(Hive hive) const;

    // Creates the system on first use: its folders (drive C: with the special folders, the
    // registry folder) and any missing hive file, a new HKEY_LOCAL_MACHINE with Game Explorer
    // registered. Done once per store; ERROR_SUCCESS or the failure.
    LONG PrepareSystem();

  private:
    LONG Load(Hive hive, std::unique_ptr<RegistryNode>& root) const;
    LONG Save(Hive hive, const RegistryNode& root) const;

    SystemLayout layout_;
    SystemUser user_;
    bool prepared_ = false;
};
