#include "emulated/registry/registry_store.h"

#include <fcntl.h>

#include <cerrno>

#include "emulated/base/win32_codes.h"
#include "emulated/host/atomic_file.h"
#include "emulated/location/system_lock.h"
#include "emulated/registry/reg_file_format.h"
#include "platform/debug_output.h"
#include "text/host_text.h"

namespace {

// Larger hive files are refused as damaged: reading and parsing one stays bounded, and no change
// writes one.
constexpr std::size_t kMaxHiveFileBytes = 64 * 1024 * 1024;

std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// 0 and the version of the file at path, or the errno of the look-up.
int VersionOf(const std::filesystem::path& path, HiveFileVersion& version) {
    struct stat status {};
    if (int error = StatHostEntry(path, status); error != 0) {
        return error;
    }
    version = {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
               static_cast<std::uint64_t>(status.st_size), Nanoseconds(status.st_mtim),
               Nanoseconds(status.st_ctim)};
    return 0;
}

// The user only learns that the hive's data is invalid; whoever repairs the file needs where
// and why it was refused.
void ReportRefusedFile(const std::filesystem::path& file, std::size_t line,
                       const std::string& reason) {
    std::string text = file.string();
    if (line != 0) {
        text += ':';
        text += std::to_string(line);
    }
    text += ": registry file refused: " + reason + "\r\n";
    ShowDiagnosticLine(1, text.c_str());
}

}  // namespace

std::wstring_view HiveName(Hive hive) {
    return hive == Hive::CurrentUser ? L"HKEY_CURRENT_USER" : L"HKEY_LOCAL_MACHINE";
}

std::filesystem::path HiveFile(const SystemLayout& layout, Hive hive) {
    return layout.RegistryFolder() / (WideToHost(HiveName(hive)) + ".reg");
}

LONG SaveHive(const SystemLayout& layout, Hive hive, const RegistryNode& root, HostFile* written) {
    std::string bytes = WriteRegFile(root, HiveName(hive), kMaxHiveFileBytes);
    if (bytes.empty()) {
        // Keys nested deeply under long names repeat their path in every section: a small file
        // can grow past the limit, and the change is refused rather than make it unreadable.
        return ERROR_INVALID_DATA;
    }
    return Win32ErrorFromErrno(ReplaceFileAtomically(HiveFile(layout, hive), bytes, written),
                               ERROR_CANTWRITE);
}

RegistryStore::RegistryStore(SystemLayout layout, LONG systemState)
    : layout_(std::move(layout)), systemState_(systemState) {}

LONG RegistryStore::Load(Hive hive, std::unique_ptr<RegistryNode>& root) {
    KeptHive& kept = KeptOf(hive);
    // The version is taken before the file is read: a change made after it gives another
    // version, which the next call reads again, so a kept tree is never older than its version.
    HiveFileVersion version;
    const int error = VersionOf(HiveFile(hive), version);
    if (error == 0 && version == kept.version && (kept.root != nullptr || kept.refused)) {
        // Taken out for the caller, who may change the tree; PutBack puts it back.
        root = std::move(kept.root);
        return kept.refused ? ERROR_INVALID_DATA : ERROR_SUCCESS;
    }
    kept = {};
    if (error == ENOENT) {
        // Removed since the system was created: an empty hive, made again by the next change.
        root = std::make_unique<RegistryNode>();
        return ERROR_SUCCESS;
    }
    if (error != 0) {
        return Win32ErrorFromErrno(error, ERROR_CANTREAD);
    }
    return ReadHiveFile(hive, version, root);
}

LONG RegistryStore::ReadHiveFile(Hive hive, const HiveFileVersion& version,
                                 std::unique_ptr<RegistryNode>& root) {
    HostFile file;
    std::string bytes;
    int error = file.Open(HiveFile(hive), O_RDONLY);
    if (error == 0) {
        error = file.ReadToEnd(bytes, kMaxHiveFileBytes);
    }
    if (error == ENOENT) {
        root = std::make_unique<RegistryNode>();
        return ERROR_SUCCESS;
    }
    if (error != 0 && error != EFBIG) {
        return Win32ErrorFromErrno(error, ERROR_CANTREAD);
    }
    RegFileParse parsed;
    if (error == EFBIG) {
        parsed.error =
            "more than the " + std::to_string(kMaxHiveFileBytes) + " bytes a hive may hold";
    } else {
        parsed = ParseRegFile(bytes, HiveName(hive));
    }
    KeptHive& kept = KeptOf(hive);
    kept.version = version;
    kept.file = std::move(file);
    if (parsed.root == nullptr) {
        // Remembered, so that the file is neither parsed nor reported again while it stays.
        kept.refused = true;
        ReportRefusedFile(HiveFile(hive), parsed.errorLine, parsed.error);
        return ERROR_INVALID_DATA;
    }
    root = std::move(parsed.root);
    return ERROR_SUCCESS;
}

void RegistryStore::PutBack(Hive hive, std::unique_ptr<RegistryNode> root) {
    // A hive given as empty because its file is missing keeps the version of no file, which no
    // file has: it is never taken for a file's tree.
    KeptOf(hive).root = std::move(root);
}

void RegistryStore::KeepWritten(Hive hive, std::unique_ptr<RegistryNode> root, HostFile written) {
    KeptHive& kept = KeptOf(hive);
    kept = {};
    // Under the exclusive lock the path still names the file just written. Without its version
    // nothing is kept, and the next call reads the file.
    if (VersionOf(HiveFile(hive), kept.version) == 0) {
        kept.file = std::move(written);
        kept.root = std::move(root);
    }
}

int RegistryStore::OpenLockFile() {
    return lockFile_.IsOpen() ? 0 : lockFile_.Open(layout_.LockFile(), O_RDWR | O_CREAT, 0666);
}

LONG RegistryStore::WithHive(Hive hive, SystemLock::Mode mode, LONG cannotLock,
                             const std::function<LONG(std::unique_ptr<RegistryNode>& root)>& use) {
    if (systemState_ != ERROR_SUCCESS) {
        return systemState_;
    }
    if (int error = OpenLockFile(); error != 0) {
        return Win32ErrorFromErrno(error, cannotLock);
    }
    SystemLock lock(lockFile_, mode);
    if (lock.Error() != 0) {
        return Win32ErrorFromErrno(lock.Error(), cannotLock);
    }
    std::unique_ptr<RegistryNode> root;
    if (LONG loaded = Load(hive, root); loaded != ERROR_SUCCESS) {
        return loaded;
    }
    return use(root);
}

LONG RegistryStore::Read(Hive hive, const std::function<void(const RegistryNode& root)>& read) {
    return WithHive(hive, SystemLock::Mode::Shared, ERROR_CANTREAD, [&](auto& root) -> LONG {
        read(*root);
        PutBack(hive, std::move(root));
        return ERROR_SUCCESS;
    });
}

LONG RegistryStore::Update(Hive hive,
                           const std::function<LONG(RegistryNode& root, bool& changed)>& change) {
    return WithHive(hive, SystemLock::Mode::Exclusive, ERROR_CANTWRITE, [&](auto& root) -> LONG {
        bool changed = false;
        LONG result = change(*root, changed);
        if (!changed) {
            PutBack(hive, std::move(root));
            return result;
        }
        HostFile written;
        if (LONG saved = SaveHive(layout_, hive, *root, &written); saved != ERROR_SUCCESS) {
            // A tree that could not be saved differs from the file, and is not kept.
            KeptOf(hive) = {};
            return saved;
        }
        KeepWritten(hive, std::move(root), std::move(written));
        return result;
    });
}
