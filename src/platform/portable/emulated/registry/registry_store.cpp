#include "emulated/registry/registry_store.h"

#include <cerrno>

#include "emulated/base/win32_codes.h"
#include "emulated/host/atomic_file.h"
#include "emulated/location/system_lock.h"
#include "emulated/registry/reg_file_format.h"
#include "text/host_text.h"

namespace {

// Larger hive files are refused as damaged: reading and parsing one stays bounded, and no change
// writes one.
constexpr std::size_t kMaxHiveFileBytes = 64 * 1024 * 1024;

}  // namespace

std::wstring_view HiveName(Hive hive) {
    return hive == Hive::CurrentUser ? L"HKEY_CURRENT_USER" : L"HKEY_LOCAL_MACHINE";
}

std::filesystem::path HiveFile(const SystemLayout& layout, Hive hive) {
    return layout.RegistryFolder() / (WideToHost(HiveName(hive)) + ".reg");
}

LONG SaveHive(const SystemLayout& layout, Hive hive, const RegistryNode& root,
              std::string* written) {
    std::string bytes = WriteRegFile(root, HiveName(hive), kMaxHiveFileBytes);
    if (bytes.empty()) {
        // Keys nested deeply under long names repeat their path in every section: a small file
        // can grow past the limit, and the change is refused rather than make it unreadable.
        return ERROR_INVALID_DATA;
    }
    const int error = ReplaceFileAtomically(HiveFile(layout, hive), bytes);
    if (error == 0 && written != nullptr) {
        *written = std::move(bytes);
    }
    return Win32ErrorFromErrno(error, ERROR_CANTWRITE);
}

RegistryStore::RegistryStore(SystemLayout layout, LONG systemState)
    : layout_(std::move(layout)), systemState_(systemState) {}

LONG RegistryStore::Load(Hive hive, std::unique_ptr<RegistryNode>& root, std::string& bytes) {
    // Taken out of the cache for the caller, who may change it; Keep puts it back.
    CachedHive cached = std::move(CacheOf(hive));
    CacheOf(hive).root.reset();
    int error = ReadWholeFile(HiveFile(hive), bytes, kMaxHiveFileBytes);
    if (error == 0 && cached.root != nullptr && cached.bytes == bytes) {
        root = std::move(cached.root);
        return ERROR_SUCCESS;
    }
    if (error == ENOENT) {
        // Removed since the system was created: an empty hive, made again by the next change.
        root = std::make_unique<RegistryNode>();
        return ERROR_SUCCESS;
    }
    if (error == EFBIG) {
        return ERROR_INVALID_DATA;
    }
    if (error != 0) {
        return Win32ErrorFromErrno(error, ERROR_CANTREAD);
    }
    RegFileParse parsed = ParseRegFile(bytes, HiveName(hive));
    if (!parsed.root) {
        return ERROR_INVALID_DATA;
    }
    root = std::move(parsed.root);
    return ERROR_SUCCESS;
}

void RegistryStore::Keep(Hive hive, std::unique_ptr<RegistryNode> root, std::string bytes) {
    CacheOf(hive) = {std::move(bytes), std::move(root)};
}

LONG RegistryStore::Read(Hive hive, const std::function<void(const RegistryNode& root)>& read) {
    if (systemState_ != ERROR_SUCCESS) {
        return systemState_;
    }
    SystemLock lock(layout_.LockFile(), SystemLock::Mode::Shared);
    if (lock.Error() != 0) {
        return Win32ErrorFromErrno(lock.Error(), ERROR_CANTREAD);
    }
    std::unique_ptr<RegistryNode> root;
    std::string bytes;
    if (LONG loaded = Load(hive, root, bytes); loaded != ERROR_SUCCESS) {
        return loaded;
    }
    read(*root);
    Keep(hive, std::move(root), std::move(bytes));
    return ERROR_SUCCESS;
}

LONG RegistryStore::Update(Hive hive,
                           const std::function<LONG(RegistryNode& root, bool& changed)>& change) {
    if (systemState_ != ERROR_SUCCESS) {
        return systemState_;
    }
    SystemLock lock(layout_.LockFile(), SystemLock::Mode::Exclusive);
    if (lock.Error() != 0) {
        return Win32ErrorFromErrno(lock.Error(), ERROR_CANTWRITE);
    }
    std::unique_ptr<RegistryNode> root;
    std::string bytes;
    if (LONG loaded = Load(hive, root, bytes); loaded != ERROR_SUCCESS) {
        return loaded;
    }
    bool changed = false;
    LONG result = change(*root, changed);
    if (changed) {
        // A tree that could not be saved differs from the file, and is not kept.
        if (LONG saved = SaveHive(layout_, hive, *root, &bytes); saved != ERROR_SUCCESS) {
            return saved;
        }
    }
    Keep(hive, std::move(root), std::move(bytes));
    return result;
}
