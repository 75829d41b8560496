// The emulated system's one way to the host's files: every open, read, write, fsync, rename,
// unlink, mkdir, flock and folder listing goes through these functions, and only HostFile owns a
// descriptor. Each function returns 0 or the errno of the failed call.
//
// Counted for tests: every call is numbered from 1 since the last FailHostFileCall, and the call
// with the chosen number fails with the chosen errno without reaching the host, so that a test
// can make each file call of a run fail in turn.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// An open descriptor, closed when the object goes; closing a locked file releases its lock.
class HostFile {
  public:
    HostFile() = default;
    HostFile(HostFile&& other) noexcept : descriptor_(other.descriptor_) { other.descriptor_ = -1; }
    HostFile& operator=(HostFile&& other) noexcept;
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;
    ~HostFile() { Close(); }

    // 0 or the errno; flags and mode as for open(2), O_CLOEXEC is added. Only a file or a folder
    // opens: anything else (a FIFO, device or socket) gives EACCES at once, without waiting.
    int Open(const std::filesystem::path& path, int flags, mode_t mode = 0);
    void Close();
    bool IsOpen() const { return descriptor_ >= 0; }

    // Appends the file's bytes from the current position to its end; EFBIG when more than
    // limit bytes would be read (contents then holds what was read).
    int ReadToEnd(std::string& contents, std::size_t limit);
    // Reads up to count bytes at offset into buffer, without moving the current position; got
    // is 0 at the end of the file.
    int ReadAt(std::uint64_t offset, char* buffer, std::size_t count, std::size_t& got);
    int SizeOf(std::uint64_t& size);
    int WriteAll(std::string_view contents);
    int Sync();
    // flock(2) with LOCK_SH or LOCK_EX, waiting for it.
    int Lock(int operation);
    int SetMode(mode_t mode);

  private:
    int descriptor_ = -1;
};

int RenameHostFile(const std::filesystem::path& from, const std::filesystem::path& to);
// Removes a file, or a folder when it is empty; a link goes itself, never what it points at.
int RemoveHostEntry(const std::filesystem::path& path);
// Creates the folder and every missing folder above it; 0 when it exists already as a folder.
int MakeHostFolders(const std::filesystem::path& path);

struct HostFolderEntry {
    std::string name;
    bool isFolder = false;  // a real folder, not a link to one
};
// The entries of a folder, without "." and "..".
int ListHostFolder(const std::filesystem::path& folder, std::vector<HostFolderEntry>& entries);

// From now on, the failAt-th file call (counting from 1; 0: none) fails with error.
void FailHostFileCall(std::uint64_t failAt, int error);
// File calls made since the last FailHostFileCall.
std::uint64_t HostFileCallCount();

// 0 when path names an existing entry (following links), else the errno (ENOENT, ENOTDIR, ...).
int HostFileStatus(const std::filesystem::path& path);
// The process's current folder; 0 or the errno.
int HostCurrentFolder(std::filesystem::path& folder);
// stat(2): what the host knows of the file or folder at path, following links.
int StatHostEntry(const std::filesystem::path& path, struct stat& status);
// lstat(2): the same of the entry itself, a link not followed.
int StatHostLink(const std::filesystem::path& path, struct stat& status);
// realpath(3): the absolute path of the entry at path with every link on the way followed.
int CanonicalHostPath(const std::filesystem::path& path, std::filesystem::path& canonical);
// Whether anything exists at path: 0 and the answer, or the errno of a look-up that could not
// tell (a missing entry or folder on the way is no failure: exists is then false).
int HostEntryExists(const std::filesystem::path& path, bool& exists);
