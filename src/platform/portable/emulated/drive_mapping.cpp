#include "drive_mapping.h"

#include <unistd.h>

#include <system_error>

#include "case_folding.h"
#include "host_text.h"
#include "platform/shell_names.h"
#include "win32_codes.h"

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
// folder holds none (or cannot be read), so that a path to be created keeps the case it has.
std::filesystem::path MatchEntry(const std::filesystem::path& folder, const std::wstring& name) {
    std::string hostName = WideToHost(name);
    std::error_code error;
    // The folder is read only when an entry could match in another case: otherwise creating one
    // entry after another in the same folder would read all the earlier ones each time.
    if (std::filesystem::exists(folder / hostName, error) || MatchesOnlyItself(name)) {
        return folder / hostName;
    }
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::string entry = it->path().filename().string();
        if (EqualsIgnoringCase(HostToWide(entry), name)) {
            return it->path();
        }
    }
    return folder / hostName;
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
        host = MatchEntry(host, name);
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
