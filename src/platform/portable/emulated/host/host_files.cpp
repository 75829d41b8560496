#include "emulated/host/host_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

std::uint64_t callCount = 0;
std::uint64_t failingCall = 0;
int failingError = 0;

// Counts one file call; nonzero when it is the one to fail.
int InjectedFailure() {
    return ++callCount == failingCall ? failingError : 0;
}

// Runs a call that sets errno on failure (returns -1), repeating it when a signal cut it short.
template <typename Call>
int Checked(Call call) {
    if (int injected = InjectedFailure(); injected != 0) {
        return injected;
    }
    for (;;) {
        if (call() >= 0) {
            return 0;
        }
        if (errno != EINTR) {
            return errno;
        }
    }
}

bool IsRealFolder(const std::filesystem::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

HostFile& HostFile::operator=(HostFile&& other) noexcept {
    if (this != &other) {
        Close();
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

int HostFile::Open(const std::filesystem::path& path, int flags, mode_t mode) {
    Close();
    // Without O_NONBLOCK, opening a FIFO waits for its other end, for ever; with it, the open
    // returns and the check below turns the FIFO away. It does not change reads of files.
    if (int error = Checked([&] {
            return descriptor_ = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
        });
        error != 0) {
        return error;
    }
    // Windows opens files and folders here; a FIFO, device or socket would block a read or
    // feed it bytes without end, so it cannot be opened, as Windows cannot open such a path.
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0 ||
        !(S_ISREG(status.st_mode) || S_ISDIR(status.st_mode))) {
        Close();
        return EACCES;
    }
    return 0;
}

void HostFile::Close() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
}

int HostFile::ReadToEnd(std::string& contents, std::size_t limit) {
    char buffer[65536];
    for (;;) {
        ssize_t got = 0;
        if (int error = Checked([&] { return got = ::read(descriptor_, buffer, sizeof buffer); });
            error != 0) {
            return error;
        }
        if (got == 0) {
            return 0;
        }
        if (static_cast<std::size_t>(got) > limit - std::min(limit, contents.size())) {
            return EFBIG;
        }
        contents.append(buffer, static_cast<std::size_t>(got));
    }
}

int HostFile::ReadAt(std::uint64_t offset, char* buffer, std::size_t count, std::size_t& got) {
    ssize_t read = 0;
    const int error = Checked(
        [&] { return read = ::pread(descriptor_, buffer, count, static_cast<off_t>(offset)); });
    got = error == 0 ? static_cast<std::size_t>(read) : 0;
    return error;
}

int HostFile::SizeOf(std::uint64_t& size) {
    struct stat status {};
    const int error = Checked([&] { return ::fstat(descriptor_, &status); });
    size = error == 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
    return error;
}

int HostFile::WriteAll(std::string_view contents) {
    while (!contents.empty()) {
        ssize_t written = 0;
        if (int error = Checked(
                [&] { return written = ::write(descriptor_, contents.data(), contents.size()); });
            error != 0) {
            return error;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

int HostFile::Sync() {
    return Checked([&] { return ::fsync(descriptor_); });
}

int HostFile::Lock(int operation) {
    return Checked([&] { return ::flock(descriptor_, operation); });
}

int HostFile::SetMode(mode_t mode) {
    return ::fchmod(descriptor_, mode) == 0 ? 0 : errno;
}

int RenameHostFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    return Checked([&] { return ::rename(from.c_str(), to.c_str()); });
}

int RemoveHostEntry(const std::filesystem::path& path) {
    return Checked([&] { return std::remove(path.c_str()); });
}

int MakeHostFolders(const std::filesystem::path& path) {
    // Made from the innermost folder outwards, going up only as far as folders are missing, so
    // that an existing folder costs one call.
    std::vector<std::filesystem::path> pending{path};
    while (!pending.empty()) {
        std::filesystem::path folder = pending.back();
        int error = Checked([&] { return ::mkdir(folder.c_str(), 0777); });
        if (error == ENOENT && folder.has_relative_path() && folder.parent_path() != folder) {
            pending.push_back(folder.parent_path());
            continue;
        }
        if (error == EEXIST) {
            struct stat status {};
            error = ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) ? 0 : ENOTDIR;
        }
        if (error != 0) {
            return error;
        }
        pending.pop_back();
    }
    return 0;
}

int ListHostFolder(const std::filesystem::path& folder, std::vector<HostFolderEntry>& entries) {
    entries.clear();
    if (int injected = InjectedFailure(); injected != 0) {
        return injected;
    }
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) {
        return errno;
    }
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(listing);
        if (entry == nullptr) {
            error = errno;
            break;
        }
        std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        bool isFolder =
            entry->d_type == DT_DIR || (entry->d_type == DT_UNKNOWN && IsRealFolder(folder / name));
        entries.push_back({std::move(name), isFolder});
    }
    ::closedir(listing);
    return error;
}

void FailHostFileCall(std::uint64_t failAt, int error) {
    callCount = 0;
    failingCall = failAt;
    failingError = error;
}

std::uint64_t HostFileCallCount() {
    return callCount;
}

int HostFileStatus(const std::filesystem::path& path) {
    struct stat status {};
    return StatHostEntry(path, status);
}

int HostCurrentFolder(std::filesystem::path& folder) {
    std::string buffer(256, '\0');
    for (;;) {
        if (int injected = InjectedFailure(); injected != 0) {
            return injected;
        }
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
            folder = buffer.c_str();
            return 0;
        }
        if (errno != ERANGE) {
            return errno;
        }
        buffer.resize(buffer.size() * 2);
    }
}

int StatHostEntry(const std::filesystem::path& path, struct stat& status) {
    return Checked([&] { return ::stat(path.c_str(), &status); });
}

int StatHostLink(const std::filesystem::path& path, struct stat& status) {
    return Checked([&] { return ::lstat(path.c_str(), &status); });
}

int CanonicalHostPath(const std::filesystem::path& path, std::filesystem::path& canonical) {
    char* resolved = nullptr;
    const int error = Checked([&] {
        resolved = ::realpath(path.c_str(), nullptr);
        return resolved == nullptr ? -1 : 0;
    });
    if (resolved != nullptr) {
        canonical = resolved;
        std::free(resolved);
    }
    return error;
}

int HostEntryExists(const std::filesystem::path& path, bool& exists) {
    struct stat status {};
    const int error = StatHostEntry(path, status);
    exists = error == 0;
    return error == ENOENT || error == ENOTDIR ? 0 : error;
}
