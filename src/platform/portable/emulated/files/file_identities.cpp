#include "emulated/files/file_identities.h"

#include <algorithm>

#include "emulated/base/win32_codes.h"
#include "emulated/files/emulated_files.h"
#include "emulated/host/host_file_facts.h"
#include "emulated/host/host_files.h"
#include "text/host_text.h"

namespace {

BY_HANDLE_FILE_INFORMATION InformationOf(const struct stat& status, const HostFileFacts& facts) {
    BY_HANDLE_FILE_INFORMATION information = {};
    information.dwFileAttributes = facts.attributes;
    information.ftCreationTime = ToFileTime(facts.creationTime);
    information.ftLastAccessTime = ToFileTime(facts.accessTime);
    information.ftLastWriteTime = ToFileTime(facts.writeTime);
    // Windows' serial number has 32 bits; the low ones tell the host's devices apart.
    information.dwVolumeSerialNumber = static_cast<DWORD>(status.st_dev);
    information.nFileSizeHigh = static_cast<DWORD>(facts.size >> 32);
    information.nFileSizeLow = static_cast<DWORD>(facts.size);
    information.nNumberOfLinks = static_cast<DWORD>(status.st_nlink);
    const auto index = static_cast<std::uint64_t>(status.st_ino);
    information.nFileIndexHigh = static_cast<DWORD>(index >> 32);
    information.nFileIndexLow = static_cast<DWORD>(index);
    return information;
}

// The path a file opened at full (whose host path is host) has, every link followed: full itself
// unless its last name is a link, else where the link leads, on drive Z:.
std::wstring FinalPathOf(const WindowsPath& full, const std::filesystem::path& host) {
    std::filesystem::path real;
    std::filesystem::path realFolder;
    if (CanonicalHostPath(host, real) == 0 &&
        CanonicalHostPath(host.parent_path(), realFolder) == 0 &&
        real != realFolder / host.filename()) {
        std::wstring text = L"\\\\?\\Z:" + HostToWide(real.string());
        std::replace(text.begin(), text.end(), L'/', L'\\');
        return text;
    }
    return L"\\\\?\\" + full.Text();
}

}  // namespace

HANDLE FileIdentities::Open(LPCWSTR path, DWORD& error) {
    const std::optional<WindowsPath> full = drives_.FullPath(path);
    if (!full) {
        error = ERROR_PATH_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    const DriveMapping::HostPath host = drives_.ToHost(*full);
    if (host.error != ERROR_SUCCESS) {
        error = static_cast<DWORD>(host.error);
        return INVALID_HANDLE_VALUE;
    }
    struct stat status {};
    if (const int failure = StatHostEntry(host.path, status); failure != 0) {
        error = static_cast<DWORD>(failure == ENOENT
                                       ? MissingPathError(host.path)
                                       : Win32ErrorFromErrno(failure, ERROR_ACCESS_DENIED));
        return INVALID_HANDLE_VALUE;
    }
    const std::uintptr_t handle = nextHandle_++;
    open_[handle] = {InformationOf(status, FactsOf(host.path)), FinalPathOf(*full, host.path)};
    return reinterpret_cast<HANDLE>(handle);
}

BOOL FileIdentities::Information(HANDLE handle, BY_HANDLE_FILE_INFORMATION& information) const {
    const auto file = open_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (file == open_.end()) {
        return FALSE;
    }
    information = file->second.information;
    return TRUE;
}

const std::wstring* FileIdentities::FinalPath(HANDLE handle) const {
    const auto file = open_.find(reinterpret_cast<std::uintptr_t>(handle));
    return file == open_.end() ? nullptr : &file->second.finalPath;
}

BOOL FileIdentities::Close(HANDLE handle) {
    return open_.erase(reinterpret_cast<std::uintptr_t>(handle)) == 1 ? TRUE : FALSE;
}
