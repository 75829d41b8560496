// The emulated registry on disk: one file per hive in the system's registry folder, each read
// and changed as a whole under the system lock. A change loads the file, applies itself and
// writes the file back atomically before the lock is released, so concurrent runs never lose
// each other's changes. A file that cannot be parsed makes every operation on its hive fail
// with ERROR_INVALID_DATA and is never overwritten; where and why it was refused goes to a
// diagnostic line (platform/debug_output.h), once per state of the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "emulated/host/host_files.h"
#include "emulated/location/system_location.h"
#include "emulated/location/system_lock.h"
#include "emulated/registry/registry_tree.h"
#include "platform_api.h"

enum class Hive { CurrentUser, LocalMachine };

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE": the root of the hive's key paths and its file name.
std::wstring_view HiveName(Hive hive);

// The file that keeps the hive: <registry folder>/<hive name>.reg.
std::filesystem::path HiveFile(const SystemLayout& layout, Hive hive);

// Writes the hive's file atomically: ERROR_SUCCESS or the failure; written, when given, holds
// the new file open. The caller holds the exclusive system lock.
LONG SaveHive(const SystemLayout& layout, Hive hive, const RegistryNode& root,
              HostFile* written = nullptr);

// What tells one state of a hive file from another without reading it: which file the path names
// and its size and times (see RegistryStore::Load).
struct HiveFileVersion {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds since 1970
    std::int64_t changed = 0;   // of the last change of the file's contents or status

    bool operator==(const HiveFileVersion&) const = default;
};

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
    // A run makes thousands of registry calls (a lookup among 8,000 games opens and queries
    // every one), each under the lock and each needing the hive as its file is now. The last
    // tree read or written is kept with the version of its file, and used again while the file
    // is still that version: one look at the file per call instead of reading it.
    //
    // Every writer replaces the file by a rename (atomic_file.h), so a change by another run
    // always gives the path another file; the kept file stays open, so that the host cannot
    // give its number to a later file while it is kept. A change made in place by hand is told
    // by its size or its times.
    struct KeptHive {
        HiveFileVersion version;
        HostFile file;                       // the file the tree was read from or written as
        std::unique_ptr<RegistryNode> root;  // null: nothing kept, or the file was refused
        bool refused = false;                // the file does not parse: ERROR_INVALID_DATA
    };

    // Under the system's lock in mode, hands the hive as its file is now to use: the system's
    // failure, the lock's (as cannotLock), the load's, or what use returns.
    LONG WithHive(Hive hive, SystemLock::Mode mode, LONG cannotLock,
                  const std::function<LONG(std::unique_ptr<RegistryNode>& root)>& use);
    // The hive as its file is now, from what is kept when the file has not changed since.
    LONG Load(Hive hive, std::unique_ptr<RegistryNode>& root);
    // Reads and parses the file, whose version was just taken, and keeps what it found.
    LONG ReadHiveFile(Hive hive, const HiveFileVersion& version,
                      std::unique_ptr<RegistryNode>& root);
    // Puts back the tree that Load took out, unchanged since.
    void PutBack(Hive hive, std::unique_ptr<RegistryNode> root);
    // Keeps root as the tree of the file just written, which written holds open.
    void KeepWritten(Hive hive, std::unique_ptr<RegistryNode> root, HostFile written);

    // 0 once the system's lock file is open; it stays open for the later calls.
    int OpenLockFile();

    KeptHive& KeptOf(Hive hive) { return hive == Hive::CurrentUser ? currentUser_ : localMachine_; }

    SystemLayout layout_;
    LONG systemState_;
    HostFile lockFile_;
    KeptHive currentUser_;
    KeptHive localMachine_;
};
