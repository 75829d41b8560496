#include "emulated/files/drive_mapping.h"

#include <unistd.h>

#include <cerrno>

#include <system_error>

#include "emulated/base/win32_codes.h"
#include "emulated/host/host_files.h"
#include "platform/shell_names.h"
#include "text/case_folding.h"
#include "text/host_text.h"

namespace {

bool IsAllowedName(std::wstring_view name) {
    for (wchar_t c : name) {
        if (c < 0x20 || kForbiddenNameCharacters.find(c) != std::wstring_view::npos) {
            return false;
        }
    }
    return true;
}

// True when no other name equals name without regard to case: it holds only ASCII characters
// that are not letters, which no case mapping produces or changes. The task index folders
// ("0", "1", ...) are such names.
bool MatchesOnlyItself(std::wstring_view name) {
    for (wchar_t c : name) {
        if (c >= 0x80 || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z')) {
            return false;
        }
    }
    return true;
}

// The entry of folder whose name equals name without regard to case; name itself when the
// folder holds none or does not exist, so that a path to be created keeps the case it has.
// ERROR_ACCESS_DENIED when the folder exists but cannot be read: a guess could then name a
// second file beside the one meant.
LONG MatchEntry(std::filesystem::path& folder, const std::wstring& name) {
    std::string hostName = WideToHost(name);
    std::error_code exists;
    // The folder is read only when an entry could match in another case: otherwise creating one
    // entry after another in the same folder would read all the earlier ones each time.
    if (std::filesystem::exists(folder / hostName, exists) || MatchesOnlyItself(name)) {
        folder /= hostName;
        return ERROR_SUCCESS;
    }
    std::vector<HostFolderEntry> entries;
    int error = ListHostFolder(folder, entries);
    if (error != 0 && error != ENOENT && error != ENOTDIR) {
        return ERROR_ACCESS_DENIED;
    }
    for (const HostFolderEntry& entry : entries) {
        if (EqualsIgnoringCase(HostToWide(entry.name), name)) {
            folder /= entry.name;
            return ERROR_SUCCESS;
        }
    }
    folder /= hostName;
    return ERROR_SUCCESS;
}

}  // namespace

DriveMapping::DriveMapping(std::filesystem::path systemFolder)
    : systemFolder_(std::move(systemFolder)) {}

std::optional<WindowsPath> DriveMapping::FullPath(std::wstring_view path) const {
    std::optional<std::wstring> current = CurrentFolder();
    if (!current) {
        return std::nullopt;
    }
    return FullWindowsPath(path, *current);
}

DriveMapping::HostPath DriveMapping::ToHost(const WindowsPath& path) const {
    std::filesystem::path host;
    switch (path.Drive()) {
        case L'C':
            if (systemFolder_.empty()) {
                return {{}, ERROR_PATH_NOT_FOUND};
            }
            host = systemFolder_ / "drive_c";
            break;
        case L'Z':
            host = "/";
            break;
        default:
            return {{}, ERROR_PATH_NOT_FOUND};
    }
    for (const std::wstring& name : path.names) {
        if (!IsAllowedName(name)) {
            return {{}, ERROR_INVALID_NAME};
        }
    }
    for (const std::wstring& name : path.names) {
        if (LONG error = MatchEntry(host, name); error != ERROR_SUCCESS) {
            return {{}, error};
        }
    }
    return {host, ERROR_SUCCESS};
}

DriveMapping::HostPath DriveMapping::ToHost(std::wstring_view path) const {
    std::optional<WindowsPath> full = FullPath(path);
    if (!full) {
        return {{}, path.empty() ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND};
    }
    return ToHost(*full);
}

std::optional<std::wstring> DriveMapping::CurrentFolder() {
    std::error_code error;
    std::filesystem::path current = std::filesystem::current_path(error);
    if (error || !current.is_absolute()) {
        return std::nullopt;
    }
    std::wstring folder = L"Z:" + HostToWide(current.string());
    for (wchar_t& c : folder) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return folder;
}
