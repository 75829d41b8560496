#include "emulated/files/emulated_files.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

#include "emulated/base/win32_codes.h"
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

// The names of a double-terminated list.
std::vector<std::wstring> NamesOf(LPCWSTR list) {
    std::vector<std::wstring> names;
    while (list != nullptr && *list != L'\0') {
        names.emplace_back(list);
        list += names.back().size() + 1;
    }
    return names;
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
    std::error_code error;
    if (std::filesystem::exists(host.path, error)) {
        return ERROR_ALREADY_EXISTS;
    }
    return ErrorFromErrno(MakeHostFolders(host.path));
}

int EmulatedFiles::Operate(SHFILEOPSTRUCTW& operation) const {
    operation.fAnyOperationsAborted = FALSE;
    std::vector<std::wstring> names = NamesOf(operation.pFrom);
    if (operation.wFunc != FO_DELETE || names.empty()) {
        return ERROR_INVALID_PARAMETER;
    }
    // Everything is checked before anything is removed.
    std::vector<std::filesystem::path> targets;
    for (const std::wstring& name : names) {
        std::optional<WindowsPath> full = drives_.FullPath(name);
        if (!full) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (full->names.empty()) {
            return ERROR_ACCESS_DENIED;  // never a whole drive: Z: is the host's root
        }
        DriveMapping::HostPath host = drives_.ToHost(*full);
        if (host.error == ERROR_ACCESS_DENIED) {
            return host.error;  // a folder on the way could not be read: it may be there
        }
        std::error_code error;
        if (host.error != ERROR_SUCCESS || !std::filesystem::exists(host.path, error)) {
            return ERROR_FILE_NOT_FOUND;
        }
        targets.push_back(host.path);
    }
    for (const std::filesystem::path& target : targets) {
        if (RemoveHostTree(target) != 0) {
            return ERROR_ACCESS_DENIED;
        }
    }
    return 0;
}

DWORD EmulatedFiles::Attributes(LPCWSTR path) const {
    DriveMapping::HostPath host = drives_.ToHost(path);
    if (host.error != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(host.error));
        return INVALID_FILE_ATTRIBUTES;
    }
    const HostFileFacts facts = FactsOf(host.path);
    if (facts.attributes == INVALID_FILE_ATTRIBUTES) {
        SetLastError(static_cast<DWORD>(facts.error == ENOENT ? MissingPathError(host.path)
                                                              : ErrorFromErrno(facts.error)));
    }
    return facts.attributes;
}

DWORD EmulatedFiles::FullPathName(LPCWSTR path, DWORD bufferLength, LPWSTR buffer,
                                  LPWSTR* filePart) const {
    std::optional<WindowsPath> full = drives_.FullPath(path);
    if (!full) {
        return 0;
    }
    std::wstring text = full->Text();
    if (buffer == nullptr || text.size() + 1 > bufferLength) {
        return static_cast<DWORD>(text.size() + 1);
    }
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    if (filePart != nullptr) {
        std::optional<std::size_t> offset = full->LastNameOffset();
        *filePart = offset ? buffer + *offset : nullptr;
    }
    return static_cast<DWORD>(text.size());
}
