#include "emulated/host/atomic_file.h"

#include <fcntl.h>

#include <cerrno>
#include <optional>
#include <random>

#include "emulated/host/host_files.h"

namespace {

constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr std::size_t kSuffixLength = 12;
constexpr std::string_view kSuffixDigits = "0123456789abcdefghijklmnopqrstuvwxyz";
// A fresh random name meets an existing one only by chance; this many tries rule that out.
constexpr int kTemporaryNameTries = 16;

std::string RandomSuffix() {
    static thread_local std::random_device source;
    std::string suffix;
    for (std::size_t i = 0; i < kSuffixLength; ++i) {
        suffix.push_back(kSuffixDigits[source() % kSuffixDigits.size()]);
    }
    return suffix;
}

// Removes the files of folder whose host names the predicate picks.
template <typename Picks>
int RemoveFilesOf(const std::filesystem::path& folder, Picks picks) {
    std::vector<HostFolderEntry> entries;
    if (int error = ListHostFolder(folder.empty() ? "." : folder, entries); error != 0) {
        return error;
    }
    for (const HostFolderEntry& entry : entries) {
        if (!entry.isFolder && picks(entry.name)) {
            if (int error = RemoveHostEntry(folder / entry.name); error != 0) {
                return error;
            }
        }
    }
    return 0;
}

// The permission bits of the file being replaced, none when it does not exist yet. 0 or the
// errno of a look-up that could not tell: the new file must not silently lose the old one's mode.
int ModeOf(const std::filesystem::path& path, std::optional<mode_t>& mode) {
    struct stat status {};
    const int error = StatHostEntry(path, status);
    mode = error == 0 ? std::optional<mode_t>(status.st_mode & 07777) : std::nullopt;
    return error == ENOENT ? 0 : error;
}

// Creates a temporary file of an unpredictable name that no other file has, so that neither a
// leftover of a killed run nor another writer can block the replacement.
int CreateTemporary(const std::filesystem::path& path, HostFile& file,
                    std::filesystem::path& temporary) {
    int error = EEXIST;
    for (int i = 0; i < kTemporaryNameTries && error == EEXIST; ++i) {
        temporary = path;
        temporary += std::string(kTemporaryMark) + RandomSuffix();
        error = file.Open(temporary, O_WRONLY | O_CREAT | O_EXCL, 0666);
    }
    return error;
}

int WriteTemporary(HostFile& file, std::optional<mode_t> mode, std::string_view contents) {
    if (mode) {
        // Set explicitly: the mode given to open is narrowed by the umask.
        if (int error = file.SetMode(*mode); error != 0) {
            return error;
        }
    }
    if (int error = file.WriteAll(contents); error != 0) {
        return error;
    }
    return file.Sync();
}

int SyncFolder(const std::filesystem::path& folder) {
    HostFile file;
    if (int error = file.Open(folder, O_RDONLY | O_DIRECTORY); error != 0) {
        return error;
    }
    return file.Sync();
}

}  // namespace

int ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents,
                          HostFile* kept) {
    std::optional<mode_t> mode;
    if (int error = ModeOf(path, mode); error != 0) {
        return error;
    }
    HostFile file;
    std::filesystem::path temporary;
    if (int error = CreateTemporary(path, file, temporary); error != 0) {
        return error;
    }
    int error = WriteTemporary(file, mode, contents);
    if (error == 0) {
        error = RenameHostFile(temporary, path);
    }
    if (error != 0) {
        file.Close();
        RemoveHostEntry(temporary);
        return error;
    }
    // The rename is durable only once the folder that records it is on disk.
    std::filesystem::path folder = path.parent_path();
    error = SyncFolder(folder.empty() ? std::filesystem::path(".") : folder);
    if (error == 0 && kept != nullptr) {
        *kept = std::move(file);
    }
    return error;
}

int RemoveStaleTemporaries(const std::filesystem::path& path) {
    const std::string prefix = path.filename().string() + std::string(kTemporaryMark);
    return RemoveFilesOf(path.parent_path(),
                         [&](const std::string& name) { return name.starts_with(prefix); });
}

bool IsTemporaryName(std::string_view hostName) {
    const std::size_t markLength = kTemporaryMark.size() + kSuffixLength;
    if (hostName.size() <= markLength) {
        return false;
    }
    const std::string_view mark = hostName.substr(hostName.size() - markLength);
    return mark.starts_with(kTemporaryMark) &&
           mark.substr(kTemporaryMark.size()).find_first_not_of(kSuffixDigits) ==
               std::string_view::npos;
}

int RemoveTemporariesIn(const std::filesystem::path& folder) {
    return RemoveFilesOf(folder, [](const std::string& name) { return IsTemporaryName(name); });
}
