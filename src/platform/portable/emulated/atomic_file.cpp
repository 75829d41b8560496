#include "atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

// Closes a descriptor at the end of a scope.
class FileDescriptor {
  public:
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
    }
    int Get() const { return descriptor_; }

  private:
    int descriptor_;
};

int WriteAll(int descriptor, std::string_view contents) {
    while (!contents.empty()) {
        ssize_t written = ::write(descriptor, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

int SyncFolder(const std::filesystem::path& folder) {
    FileDescriptor descriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (descriptor.Get() < 0) {
        return errno;
    }
    return ::fsync(descriptor.Get()) == 0 ? 0 : errno;
}

// Unique within the process too, for two writers of one file in one run.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path temporary = path;
    temporary += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    return temporary;
}

int WriteTemporary(const std::filesystem::path& temporary, std::string_view contents) {
    FileDescriptor descriptor(
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (descriptor.Get() < 0) {
        return errno;
    }
    if (int error = WriteAll(descriptor.Get(), contents); error != 0) {
        return error;
    }
    return ::fsync(descriptor.Get()) == 0 ? 0 : errno;
}

}  // namespace

int ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents) {
    std::filesystem::path temporary = TemporaryPathFor(path);
    int error = WriteTemporary(temporary, contents);
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error;
    }
    // The rename is durable only once the folder that records it is on disk.
    std::filesystem::path folder = path.parent_path();
    return SyncFolder(folder.empty() ? std::filesystem::path(".") : folder);
}

int ReadWholeFile(const std::filesystem::path& path, std::string& contents) {
    FileDescriptor descriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (descriptor.Get() < 0) {
        return errno;
    }
    contents.clear();
    char buffer[16384];
    for (;;) {
        ssize_t got = ::read(descriptor.Get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (got == 0) {
            return 0;
        }
        contents.append(buffer, static_cast<std::size_t>(got));
    }
}
