#include "emulated/files/drive_mapping.h"

#include <cerrno>

#include <system_error>

#include "emulated/base/win32_codes.h"
#include "emulated/files/host_names.h"
#include "emulated/host/host_files.h"
#include "emulated/location/system_location.h"
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

// True when no other entry answers to name: it holds only ASCII characters that are not
// letters, which no case mapping produces or changes, and no "~", so it is no short name either
// ("123456~1" may stand for "1234567890"). The task index folders ("0", "1", ...) are such names.
bool MatchesOnlyItself(std::wstring_view name) {
    for (wchar_t c : name) {
        if (c >= 0x80 || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'~') {
            return false;
        }
    }
    return true;
}

bool IsValidName(std::wstring_view name, bool verbatim) {
    // Below "\\?\" nothing is resolved or trimmed: "." and ".." would be names, which no file
    // may have, and so would the empty name between two backslashes.
    if (verbatim && (name.empty() || name == L"." || name == L"..")) {
        return false;
    }
    return IsAllowedName(name);
}

// The entry of a folder that name stands for: the one of that name without regard to case, or
// the one whose short name it is.
struct Match {
    std::string hostName;
    std::wstring name;  // the entry's own (long) name
};

// 0 and the match, if any, or the errno of reading the folder's short names (kDamagedShortNames
// when they are damaged).
int MatchInListing(const ShortNameRecords& shortNames, const std::filesystem::path& folder,
                   const std::vector<HostFolderEntry>& entries, const std::wstring& name,
                   std::optional<Match>& match) {
    for (const HostFolderEntry& entry : entries) {
        std::wstring text = HostToWide(entry.name);
        if (EqualsIgnoringCase(text, name)) {
            match = Match{entry.name, std::move(text)};
            return 0;
        }
    }
    if (name.find(L'~') == std::wstring::npos) {
        return 0;  // every short name Windows makes has one
    }
    std::vector<NamedEntry> named;
    if (int error = shortNames.NamesOf(folder, entries, named); error != 0) {
        return error;
    }
    for (const NamedEntry& entry : named) {
        if (EqualsIgnoringCase(entry.shortName, name)) {
            match = Match{entry.hostName, entry.windowsName};
            return 0;
        }
    }
    return 0;
}

// Moves folder to the entry that name stands for; to name itself when the folder holds none or
// does not exist, so that a path to be created keeps the case it has. ERROR_ACCESS_DENIED when
// the folder cannot be read: a guess could then name a second file beside the one meant; and
// ERROR_INVALID_DATA, as for a damaged registry file, when name may be a short name and the
// folder's kept short names are damaged.
LONG MatchEntry(const ShortNameRecords& shortNames, std::filesystem::path& folder,
                const std::wstring& name, DriveMapping::HostPath& found) {
    found.name = name;
    // The name as it is, then its escaped name (host_names.h), then the folder is read.
    std::vector<std::string> candidates;
    if (std::string plain = WideToHost(name); plain.size() <= kMaxHostNameBytes) {
        candidates.push_back(std::move(plain));
    }
    if (MayBeEscaped(name)) {
        candidates.push_back(EscapedHostName(name));
    }
    for (const std::string& candidate : candidates) {
        const int status = HostFileStatus(folder / candidate);
        if (status != 0 && status != ENOENT && status != ENOTDIR) {
            return ERROR_ACCESS_DENIED;
        }
        if (status == 0) {
            folder /= candidate;
            found.exists = true;
            return ERROR_SUCCESS;
        }
    }
    const std::string hostName = HostNameFor(name);
    found.exists = false;
    // The folder is read only when an entry could match in another case: otherwise creating one
    // entry after another in the same folder would read all the earlier ones each time.
    if (MatchesOnlyItself(name)) {
        folder /= hostName;
        return ERROR_SUCCESS;
    }
    std::vector<HostFolderEntry> entries;
    const int error = ListHostFolder(folder, entries);
    if (error != 0 && error != ENOENT && error != ENOTDIR) {
        return ERROR_ACCESS_DENIED;
    }
    std::optional<Match> match;
    if (const int failure = MatchInListing(shortNames, folder, entries, name, match)) {
        return failure == kDamagedShortNames ? ERROR_INVALID_DATA : ERROR_ACCESS_DENIED;
    }
    folder /= match ? match->hostName : hostName;
    found.exists = match.has_value();
    found.name = match ? match->name : name;
    return ERROR_SUCCESS;
}

DriveMapping::HostPath Failed(LONG error) {
    DriveMapping::HostPath host;
    host.error = error;
    return host;
}

}  // namespace

DriveMapping::DriveMapping(std::filesystem::path systemFolder)
    : systemFolder_(std::move(systemFolder)),
      shortNames_(systemFolder_.empty() ? std::filesystem::path()
                                        : SystemLayout{systemFolder_}.ShortNamesFolder()) {}

std::optional<WindowsPath> DriveMapping::FullPath(std::wstring_view path) const {
    // The host is asked for its current folder only when the path needs it.
    if (IsFullyQualified(path)) {
        return FullWindowsPath(path, {});
    }
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
                return Failed(ERROR_PATH_NOT_FOUND);
            }
            host = systemFolder_ / "drive_c";
            break;
        case L'Z':
            host = "/";
            break;
        default:
            return Failed(ERROR_PATH_NOT_FOUND);
    }
    for (const std::wstring& name : path.names) {
        if (!IsValidName(name, path.verbatim.has_value())) {
            return Failed(ERROR_INVALID_NAME);
        }
        if (name.size() > kMaxWindowsNameLength) {
            return Failed(ERROR_FILENAME_EXCED_RANGE);
        }
    }
    HostPath found;
    found.exists = true;  // a drive's root
    for (const std::wstring& name : path.names) {
        if (LONG error = MatchEntry(shortNames_, host, name, found); error != ERROR_SUCCESS) {
            return Failed(error);
        }
        // Below a name that does not exist nothing does.
        found.existingNames += found.exists ? 1 : 0;
    }
    found.path = std::move(host);
    return found;
}

DriveMapping::HostPath DriveMapping::ToHost(std::wstring_view path) const {
    std::optional<WindowsPath> full = FullPath(path);
    if (!full) {
        return Failed(path.empty() ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND);
    }
    return ToHost(*full);
}

void DriveMapping::Created(const WindowsPath& path, const HostPath& host) const {
    // The host path holds one host name for each of path's names, the last one last.
    std::filesystem::path entry = host.path;
    for (std::size_t i = path.names.size(); i-- > host.existingNames; entry = entry.parent_path()) {
        shortNames_.Created(entry.parent_path(), entry.filename().string(), path.names[i]);
    }
}

std::optional<std::wstring> DriveMapping::CurrentFolder() {
    std::filesystem::path current;
    if (HostCurrentFolder(current) != 0 || !current.is_absolute()) {
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
