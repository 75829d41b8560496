#include "emulated/files/emulated_files.h"

#include <cerrno>
#include <cstring>

#include "emulated/base/win32_codes.h"
#include "emulated/host/atomic_file.h"
#include "emulated/host/host_file_facts.h"
#include "emulated/host/host_files.h"

namespace {

// CreateDirectoryW leaves room for an 8.3 file name below the folder it makes.
constexpr std::size_t kMaxFolderPathLength = MAX_PATH - 12;

bool IsFullPath(std::wstring_view path) {
    bool drive = path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    bool unc = path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') &&
               (path[1] == L'\\' || path[1] == L'/');
    return drive || unc;
}

int ErrorFromErrno(int error) {
    return Win32ErrorFromErrno(error, ERROR_ACCESS_DENIED);
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// How long the part of path is that names no file: its prefix, drive or server and share, and
// the separator after them ("\\?\C:\", "C:\", "C:", "\\server\share\", "\", or nothing).
std::size_t RootLength(std::wstring_view path) {
    auto pastName = [&](std::size_t start) {
        std::size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) {
            ++end;
        }
        return std::min(end + 1, path.size());
    };
    const bool twoSeparators = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
    if (twoSeparators && path.size() >= 4 && (path[2] == L'?' || path[2] == L'.') &&
        IsSeparator(path[3])) {
        return pastName(4);
    }
    if (twoSeparators) {
        return pastName(pastName(2));
    }
    if (path.size() >= 2 && path[1] == L':') {
        return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 2;
    }
    return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

// Copies text and its terminator into buffer when it fits: the length written, else the size
// needed with the terminator (buffer untouched).
DWORD CopyOut(const std::wstring& text, DWORD bufferLength, LPWSTR buffer) {
    if (buffer == nullptr || text.size() + 1 > bufferLength) {
        return static_cast<DWORD>(text.size() + 1);
    }
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    return static_cast<DWORD>(text.size());
}

// Sets the reason for GetLastError; FALSE, the failed call's result.
BOOL Refused(LONG error) {
    SetLastError(static_cast<DWORD>(error));
    return FALSE;
}

// The reason a host entry was not found or removed, as Windows gives it.
LONG HostFailure(int error, const std::filesystem::path& hostPath) {
    return error == ENOENT ? MissingPathError(hostPath) : ErrorFromErrno(error);
}

}  // namespace

LONG MissingPathError(const std::filesystem::path& hostPath) {
    const HostFileFacts folder = FactsOf(hostPath.parent_path());
    const bool folderExists = folder.attributes != INVALID_FILE_ATTRIBUTES &&
                              (folder.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return folderExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

EmulatedFiles::EmulatedFiles(const DriveMapping& drives) : drives_(drives) {}

int EmulatedFiles::CreateFolder(LPCWSTR path) const {
    if (!IsFullPath(path)) {
        return ERROR_BAD_PATHNAME;
    }
    std::optional<WindowsPath> full = drives_.FullPath(path);
    if (!full) {
        return ERROR_BAD_PATHNAME;
    }
    if (full->Text().size() > kMaxFolderPathLength) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    DriveMapping::HostPath host = drives_.ToHost(*full);
    if (host.error != ERROR_SUCCESS) {
        return host.error;
    }
    if (host.exists) {
        return ERROR_ALREADY_EXISTS;
    }
    if (int error = MakeHostFolders(host.path); error != 0) {
        return ErrorFromErrno(error);
    }
    drives_.Created(*full, host);
    return ERROR_SUCCESS;
}

BOOL EmulatedFiles::FindRemovable(LPCWSTR path, std::filesystem::path& hostPath,
                                  DWORD& attributes) const {
    if (path == nullptr) {
        return Refused(ERROR_INVALID_PARAMETER);
    }
    std::optional<WindowsPath> full = drives_.FullPath(path);
    if (!full) {
        return Refused(ERROR_PATH_NOT_FOUND);
    }
    if (full->names.empty()) {
        return Refused(ERROR_ACCESS_DENIED);  // never a whole drive: Z: is the host's root
    }
    const DriveMapping::HostPath host = drives_.ToHost(*full);
    if (host.error != ERROR_SUCCESS) {
        return Refused(host.error);
    }
    const HostFileFacts facts = EntryFactsOf(host.path);
    if (facts.attributes == INVALID_FILE_ATTRIBUTES) {
        return Refused(HostFailure(facts.error, host.path));
    }
    hostPath = host.path;
    attributes = facts.attributes;
    return TRUE;
}

BOOL EmulatedFiles::DeleteFileW(LPCWSTR fileName) const {
    std::filesystem::path hostPath;
    DWORD attributes = 0;
    if (!FindRemovable(fileName, hostPath, attributes)) {
        return FALSE;
    }
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (!link && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Refused(ERROR_ACCESS_DENIED);
    }
    const int error = RemoveHostEntry(hostPath);
    return error == 0 ? TRUE : Refused(HostFailure(error, hostPath));
}

BOOL EmulatedFiles::RemoveDirectoryW(LPCWSTR pathName) const {
    std::filesystem::path hostPath;
    DWORD attributes = 0;
    if (!FindRemovable(pathName, hostPath, attributes)) {
        return FALSE;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return Refused(ERROR_DIRECTORY);
    }
    // A link is removed as the link it is (unlink), a folder only when empty (rmdir). The
    // temporary files of replacements that died unfinished are no entries on Windows, so they
    // do not keep a folder.
    int error = RemoveHostEntry(hostPath);
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (error == ENOTEMPTY && !link && RemoveTemporariesIn(hostPath) == 0) {
        error = RemoveHostEntry(hostPath);
    }
    return error == 0 ? TRUE : Refused(HostFailure(error, hostPath));
}

DWORD EmulatedFiles::Attributes(LPCWSTR path) const {
    DriveMapping::HostPath host = drives_.ToHost(path);
    if (host.error != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(host.error));
        return INVALID_FILE_ATTRIBUTES;
    }
    const HostFileFacts facts = EntryFactsOf(host.path);
    if (facts.attributes == INVALID_FILE_ATTRIBUTES) {
        SetLastError(static_cast<DWORD>(HostFailure(facts.error, host.path)));
    }
    return facts.attributes;
}

DWORD EmulatedFiles::FullPathName(LPCWSTR path, DWORD bufferLength, LPWSTR buffer,
                                  LPWSTR* filePart) const {
    std::optional<WindowsPath> full = drives_.FullPath(path);
    if (!full) {
        return 0;
    }
    const std::wstring text = full->Text();
    const DWORD copied = CopyOut(text, bufferLength, buffer);
    if (copied > text.size()) {
        return copied;
    }
    if (filePart != nullptr) {
        std::optional<std::size_t> offset = full->LastNameOffset();
        *filePart = offset ? buffer + *offset : nullptr;
    }
    return static_cast<DWORD>(text.size());
}

DWORD EmulatedFiles::LongPathName(LPCWSTR path, DWORD bufferLength, LPWSTR buffer) const {
    if (path == nullptr) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        return 0;
    }
    const std::wstring_view text = path;
    if (text.empty()) {
        SetLastError(static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
        return 0;
    }
    // The root as written, then each name looked for below what has been written so far: a
    // short name becomes the entry's own name, any other name, ".", and ".." stay as written.
    std::size_t position = RootLength(text);
    std::wstring longPath(text.substr(0, position));
    while (position < text.size()) {
        std::size_t end = position;
        while (end < text.size() && !IsSeparator(text[end])) {
            ++end;
        }
        const std::wstring_view name = text.substr(position, end - position);
        const bool isLast = end >= text.size();
        if (!name.empty() && name != L"." && name != L"..") {
            // A folder is looked for with its separator, which keeps its trailing blanks.
            const DriveMapping::HostPath host =
                drives_.ToHost(longPath + std::wstring(name) + (isLast ? L"" : L"\\"));
            if (host.error != ERROR_SUCCESS || !host.exists) {
                SetLastError(static_cast<DWORD>(host.error != ERROR_SUCCESS ? host.error
                                                : isLast                    ? ERROR_FILE_NOT_FOUND
                                                         : ERROR_PATH_NOT_FOUND));
                return 0;
            }
            longPath += name.find(L'~') != std::wstring_view::npos ? host.name : name;
        } else {
            longPath += name;
        }
        if (end < text.size()) {
            longPath += text[end];
        }
        position = end + 1;
    }
    return CopyOut(longPath, bufferLength, buffer);
}
