// The emulated registry on disk: one file per hive in the system's registry folder, each read
// and changed as a whole under the system lock. A change loads the file, applies itself and
// writes the file back atomically before the lock is released, so concurrent runs never lose
// each other's changes. A file that cannot be parsed makes every operation on its hive fail
// with ERROR_INVALID_DATA and is never overwritten.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "emulated/location/system_location.h"
#include "emulated/registry/registry_tree.h"
#include "platform_api.h"

enum class Hive { CurrentUser, LocalMachine };

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE": the root of the hive's key paths and its file name.
std::wstring_view HiveName(Hive hive);

// The file that keeps the hive: <registry folder>/<hive name>.reg.
std::filesystem::path HiveFile(const SystemLayout& layout, Hive hive);

// Writes the hive's file atomically: ERROR_SUCCESS or the failure. The caller holds the
// exclusive system lock.
LONG SaveHive(const SystemLayout& layout, Hive hive, const RegistryNode& root);

class RegistryStore {
  public:
    // systemState is the result of creating the system (system_creation.h): when it is not
    // ERROR_SUCCESS, every operation fails with it.
    RegistryStore(SystemLayout layout, LONG systemState);

    // Hands the hive to read under a shared lock. ERROR_SUCCESS, or the system's failure or
    // the failure to load the hive (ERROR_INVALID_DATA for a file that does not parse).
    LONG Read(Hive hive, const std::function<void(const RegistryNode& root)>& read);

    // Hands the hive to change under the exclusive lock and writes it back when change set
    // changed. The result is change's own, or the system's failure or a failure to load or
    // save.
    LONG Update(Hive hive, const std::function<LONG(RegistryNode& root, bool& changed)>& change);

    std::filesystem::path HiveFile(Hive hive) const { return ::HiveFile(layout_, hive); }

  private:
    LONG Load(Hive hive, std::unique_ptr<RegistryNode>& root) const;

    SystemLayout layout_;
    LONG systemState_;
};
