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

// Writes the hive's file atomically: ERROR_SUCCESS or the failure; written, when given, gets the
// file's bytes. The caller holds the exclusive system lock.
LONG SaveHive(const SystemLayout& layout, Hive hive, const RegistryNode& root,
              std::string* written = nullptr);

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
    // The hive as its file is now, taken from the cache when the file has not changed since.
    LONG Load(Hive hive, std::unique_ptr<RegistryNode>& root, std::string& bytes);
    // Keeps root as the tree of the file's bytes, for the next Load of the hive.
    void Keep(Hive hive, std::unique_ptr<RegistryNode> root, std::string bytes);

    // A run reads a hive several times (a delete by path four times); a hive of a few megabytes
    // takes a tenth of a second to parse. The last tree read or written is kept with the file's
    // bytes, and used again while the file still holds exactly those bytes.
    struct CachedHive {
        std::string bytes;
        std::unique_ptr<RegistryNode> root;  // null: nothing kept
    };
    CachedHive& CacheOf(Hive hive) {
        return hive == Hive::CurrentUser ? currentUser_ : localMachine_;
    }

    SystemLayout layout_;
    LONG systemState_;
    CachedHive currentUser_;
    CachedHive localMachine_;
};
