#include "registry_store.h"

#include <cerrno>
#include <system_error>

#include "atomic_file.h"
#include "game_explorer_class.h"
#include "host_files.h"
#include "host_text.h"
#include "reg_file_format.h"
#include "system_lock.h"
#include "win32_codes.h"

namespace {

// Larger hive files are refused as damaged: reading and parsing one stays bounded, and no change
// writes one.
constexpr std::size_t kMaxHiveFileBytes = 64 * 1024 * 1024;

LONG ErrorFromErrno(int error, LONG otherwise) {
    switch (error) {
        case 0:
            return ERROR_SUCCESS;
        case EACCES:
        case EPERM:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case ENOENT:
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return otherwise;
    }
}

// The contents of a hive that a new system starts with.
std::unique_ptr<RegistryNode> InitialHive(Hive hive) {
    auto root = std::make_unique<RegistryNode>();
    if (hive == Hive::LocalMachine) {
        std::vector<std::wstring> names;
        SplitKeyPath(kGameExplorerClassKey, names);
        RegistryNode* node = root.get();
        for (const std::wstring& name : names) {
            bool created = false;
            node = &node->Create(name, created);
        }
        node->SetValue({L"", REG_SZ, StringValueData(kGameExplorerClassName)});
    }
    return root;
}

}  // namespace

std::wstring_view HiveName(Hive hive) {
    return hive == Hive::CurrentUser ? L"HKEY_CURRENT_USER" : L"HKEY_LOCAL_MACHINE";
}

RegistryStore::RegistryStore(SystemLayout layout, SystemUser user)
    : layout_(std::move(layout)), user_(std::move(user)) {}

std::filesystem::path RegistryStore::HiveFile(Hive hive) const {
    return layout_.RegistryFolder() / (WideToHost(HiveName(hive)) + ".reg");
}

LONG RegistryStore::PrepareSystem() {
    if (prepared_) {
        return ERROR_SUCCESS;
    }
    if (layout_.root.empty()) {
        return ERROR_PATH_NOT_FOUND;
    }
    std::filesystem::path profile =
        layout_.DriveC() / "Users" / WideToHost(user_.loginName) / "AppData" / "Local";
    for (const std::filesystem::path& folder :
         {layout_.RegistryFolder(), layout_.DriveC() / "ProgramData", profile}) {
        if (int error = MakeHostFolders(folder); error != 0) {
            return ErrorFromErrno(error, ERROR_CANTWRITE);
        }
    }
    SystemLock lock(layout_.LockFile(), SystemLock::Mode::Exclusive);
    if (lock.Error() != 0) {
        return ErrorFromErrno(lock.Error(), ERROR_CANTWRITE);
    }
    for (Hive hive : {Hive::CurrentUser, Hive::LocalMachine}) {
        // Every hive file is written under this lock: a temporary file seen now is a leftover.
        if (int error = RemoveStaleTemporaries(HiveFile(hive)); error != 0) {
            return ErrorFromErrno(error, ERROR_CANTWRITE);
        }
        std::error_code error;
        if (!std::filesystem::exists(HiveFile(hive), error) && !error) {
            if (LONG saved = Save(hive, *InitialHive(hive)); saved != ERROR_SUCCESS) {
                return saved;
            }
        }
    }
    prepared_ = true;
    return ERROR_SUCCESS;
}

LONG RegistryStore::Load(Hive hive, std::unique_ptr<RegistryNode>& root) const {
    std::string bytes;
    int error = ReadWholeFile(HiveFile(hive), bytes, kMaxHiveFileBytes);
    if (error == ENOENT) {
        // Removed since the system was prepared: an empty hive, made again by the next change.
        root = std::make_unique<RegistryNode>();
        return ERROR_SUCCESS;
    }
    if (error == EFBIG) {
        return ERROR_INVALID_DATA;
    }
    if (error != 0) {
        return ErrorFromErrno(error, ERROR_CANTREAD);
    }
    RegFileParse parsed = ParseRegFile(bytes, HiveName(hive));
    if (!parsed.root) {
        return ERROR_INVALID_DATA;
    }
    root = std::move(parsed.root);
    return ERROR_SUCCESS;
}

LONG RegistryStore::Save(Hive hive, const RegistryNode& root) const {
    std::string bytes = WriteRegFile(root, HiveName(hive), kMaxHiveFileBytes);
    if (bytes.empty()) {
        // Keys nested deeply under long names repeat their path in every section: a small file
        // can grow past the limit, and the change is refused rather than make it unreadable.
        return ERROR_INVALID_DATA;
    }
    return ErrorFromErrno(ReplaceFileAtomically(HiveFile(hive), bytes), ERROR_CANTWRITE);
}

LONG RegistryStore::Read(Hive hive, const std::function<void(const RegistryNode& root)>& read) {
    if (LONG prepared = PrepareSystem(); prepared != ERROR_SUCCESS) {
        return prepared;
    }
    SystemLock lock(layout_.LockFile(), SystemLock::Mode::Shared);
    if (lock.Error() != 0) {
        return ErrorFromErrno(lock.Error(), ERROR_CANTREAD);
    }
    std::unique_ptr<RegistryNode> root;
    if (LONG loaded = Load(hive, root); loaded != ERROR_SUCCESS) {
        return loaded;
    }
    read(*root);
    return ERROR_SUCCESS;
}

LONG RegistryStore::Update(Hive hive,
                           const std::function<LONG(RegistryNode& root, bool& changed)>& change) {
    if (LONG prepared = PrepareSystem(); prepared != ERROR_SUCCESS) {
        return prepared;
    }
    SystemLock lock(layout_.LockFile(), SystemLock::Mode::Exclusive);
    if (lock.Error() != 0) {
        return ErrorFromErrno(lock.Error(), ERROR_CANTWRITE);
    }
    std::unique_ptr<RegistryNode> root;
    if (LONG loaded = Load(hive, root); loaded != ERROR_SUCCESS) {
        return loaded;
    }
    bool changed = false;
    LONG result = change(*root, changed);
    if (changed) {
        if (LONG saved = Save(hive, *root); saved != ERROR_SUCCESS) {
            return saved;
        }
    }
    return result;
}
