#include "emulated/files/folder_listing.h"

#include <algorithm>
#include <cwchar>
#include <optional>

#include "emulated/base/win32_codes.h"
#include "emulated/files/host_names.h"
#include "emulated/host/atomic_file.h"
#include "emulated/host/host_file_facts.h"
#include "emulated/host/host_files.h"
#include "platform/shell_names.h"
#include "text/case_folding.h"
#include "text/host_text.h"

namespace {

// Whether name matches mask, both case-folded: "*" any run of characters, "?" any one. After a
// mismatch the last "*" takes one character more, which is enough for masks without classes.
bool MatchesMask(std::wstring_view name, std::wstring_view mask) {
    std::size_t n = 0;
    std::size_t m = 0;
    std::size_t starMask = std::wstring_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == L'?' || mask[m] == name[n])) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == L'*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::wstring_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == L'*') {
        ++m;
    }
    return m == mask.size();
}

// A name Windows could have given the entry: the host names of the emulated drives are such
// names, except the escaped names of very long ones ("|" and a hash) and names that some other
// program made on the host.
bool IsWindowsName(std::wstring_view name) {
    if (name.empty() || name.size() > kMaxWindowsNameLength) {
        return false;
    }
    return std::none_of(name.begin(), name.end(), [](wchar_t c) {
        return c < 0x20 || kForbiddenNameCharacters.find(c) != std::wstring_view::npos;
    });
}

// The entry's data as Windows fills it, without a short name (as on volumes that make none), a
// link as the reparse point it is (EntryFactsOf); none when the entry went away since the folder
// was read.
std::optional<WIN32_FIND_DATAW> FoundEntry(std::wstring_view name,
                                           const std::filesystem::path& hostPath) {
    const HostFileFacts facts = EntryFactsOf(hostPath);
    if (facts.attributes == INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    WIN32_FIND_DATAW data = {};
    data.dwFileAttributes = facts.attributes;
    data.ftCreationTime = ToFileTime(facts.creationTime);
    data.ftLastAccessTime = ToFileTime(facts.accessTime);
    data.ftLastWriteTime = ToFileTime(facts.writeTime);
    const bool isFolder = (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::uint64_t size = isFolder ? 0 : facts.size;
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size);
    std::wmemcpy(data.cFileName, name.data(), name.size());  // at most 255 of MAX_PATH
    return data;
}

// The name an entry is listed under: its host name's text, or for an entry kept under an escaped
// host name the Windows name the system keeps for it (named holds the records of its folder).
// Empty for an entry that no Windows path reaches.
std::wstring ListedName(const HostFolderEntry& entry, const std::vector<NamedEntry>& named) {
    std::wstring name = HostToWide(entry.name);
    if (IsWindowsName(name)) {
        return name;
    }
    const auto kept = std::find_if(named.begin(), named.end(), [&](const NamedEntry& record) {
        return record.hostName == entry.name;
    });
    return kept != named.end() && IsWindowsName(kept->windowsName) ? kept->windowsName
                                                                   : std::wstring();
}

bool HasWindowsName(const HostFolderEntry& entry) {
    return IsWindowsName(HostToWide(entry.name));
}

}  // namespace

HANDLE FolderListings::First(LPCWSTR pattern, WIN32_FIND_DATAW& data, DWORD& error) {
    std::optional<WindowsPath> folder = drives_.FullPath(pattern);
    if (!folder || folder->names.empty() || folder->trailingSeparator) {
        error = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    std::wstring mask = FoldedText(folder->names.back());
    if (mask == L"*.*") {
        mask = L"*";  // every name, with a dot or without, as on Windows
    }
    folder->names.pop_back();

    const DriveMapping::HostPath host = drives_.ToHost(*folder);
    if (host.error != ERROR_SUCCESS || !host.exists) {
        error = host.error != ERROR_SUCCESS ? static_cast<DWORD>(host.error) : ERROR_PATH_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    std::vector<HostFolderEntry> hostEntries;
    if (const int failure = ListHostFolder(host.path, hostEntries); failure != 0) {
        error = static_cast<DWORD>(Win32ErrorFromErrno(failure, ERROR_ACCESS_DENIED));
        return INVALID_HANDLE_VALUE;
    }

    // The records are read only for a folder that holds an escaped host name.
    std::vector<NamedEntry> named;
    if (!std::all_of(hostEntries.begin(), hostEntries.end(), HasWindowsName) &&
        drives_.NamedEntriesOf(host.path, hostEntries, named) != 0) {
        error = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    std::vector<std::pair<std::wstring, std::filesystem::path>> candidates;
    for (const HostFolderEntry& entry : hostEntries) {
        // The system's own unfinished replacements (atomic_file.h) are no entries on Windows.
        if (std::wstring name = ListedName(entry, named);
            !name.empty() && !IsTemporaryName(entry.name)) {
            candidates.emplace_back(std::move(name), host.path / entry.name);
        }
    }
    std::sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
        return CompareIgnoringCase(a.first, b.first) < 0;
    });
    // Every folder but a drive's root holds itself and its parent: the folders, never a link
    // that led to them.
    if (!folder->names.empty()) {
        candidates.insert(candidates.begin(), {{L".", host.path / "."}, {L"..", host.path / ".."}});
    }

    Listing listing;
    for (const auto& [name, hostPath] : candidates) {
        if (!MatchesMask(FoldedText(name), mask)) {
            continue;
        }
        if (std::optional<WIN32_FIND_DATAW> found = FoundEntry(name, hostPath)) {
            listing.entries.push_back(*found);
        }
    }
    if (listing.entries.empty()) {
        error = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    data = listing.entries.front();
    listing.next = 1;
    const std::uintptr_t handle = nextHandle_++;
    open_.emplace(handle, std::move(listing));
    return reinterpret_cast<HANDLE>(handle);
}

BOOL FolderListings::Next(HANDLE find, WIN32_FIND_DATAW& data, DWORD& error) {
    const auto open = open_.find(reinterpret_cast<std::uintptr_t>(find));
    if (open == open_.end()) {
        error = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    Listing& listing = open->second;
    if (listing.next >= listing.entries.size()) {
        error = ERROR_NO_MORE_FILES;
        return FALSE;
    }
    data = listing.entries[listing.next++];
    return TRUE;
}

BOOL FolderListings::Close(HANDLE find) {
    return open_.erase(reinterpret_cast<std::uintptr_t>(find)) == 1 ? TRUE : FALSE;
}
