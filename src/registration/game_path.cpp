// The comparable form of a game's path, and whether two paths name one game.
#include "game_path.h"

#include <optional>
#include <utility>

#include "folder_paths.h"
#include "platform/owners.h"

namespace {

constexpr std::wstring_view kVerbatimPrefix = L"\\\\?\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";

std::wstring WithoutDevicePrefix(const std::wstring& path) {
    for (const std::wstring_view prefix : {kVerbatimPrefix, kDevicePrefix}) {
        if (path.starts_with(prefix)) {
            const std::wstring rest = path.substr(prefix.size());
            return rest.starts_with(L"UNC\\") ? L"\\" + rest.substr(3) : rest;
        }
    }
    return path;
}

// Whether a name of a "\\?\" path is one that making the path full would change: "." or "..",
// a name ending in a dot or a blank, or an empty one between two separators. The system takes
// such a path as written, so the file it names is not the one its tidied form names.
bool TidyingChanges(std::wstring_view name) {
    return name.empty() || name == L"." || name == L".." || name.back() == L'.' ||
           name.back() == L' ';
}

// "\\?\" asks the system to take the path as written. One that the program would have to tidy
// before it could compare it (see TidyingChanges, or a "/", which is no separator there) names
// another file than its tidied form: it cannot be registered or looked up as that.
bool IsUntidyVerbatimPath(const std::wstring& typed) {
    if (!typed.starts_with(kVerbatimPrefix)) {
        return false;
    }
    const std::wstring_view rest = std::wstring_view(typed).substr(kVerbatimPrefix.size());
    if (rest.find(L'/') != std::wstring_view::npos) {
        return true;
    }
    // The first name is the drive ("C:") or "UNC"; the names after it are checked.
    std::size_t start = rest.find(L'\\');
    while (start != std::wstring_view::npos) {
        const std::size_t end = rest.find(L'\\', start + 1);
        const std::wstring_view name = rest.substr(
            start + 1, end == std::wstring_view::npos ? std::wstring_view::npos : end - start - 1);
        if (TidyingChanges(name)) {
            return true;
        }
        start = end;
    }
    return false;
}

// The path with its short names made long. A path that does not exist (or whose folder does not)
// has no short names to make long and stays as it is; any other failure means the run cannot
// tell which file the path names, and is the result. Only a path with a "~" is asked about:
// every short name that Windows makes has one.
HRESULT LongPathOf(const std::wstring& path, std::wstring& longPath) {
    if (path.find(L'~') == std::wstring::npos) {
        longPath = path;
        return S_OK;
    }
    const HRESULT made = PathCallText(
        [&](wchar_t* buffer, DWORD capacity) {
            return GetLongPathNameW(path.c_str(), buffer, capacity);
        },
        longPath);
    // A long form that never fits its buffer is no reason to fail either: the path stays.
    if (made == HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER) ||
        made == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
        made == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) {
        longPath = path;
        return S_OK;
    }
    return made;
}

// Upper case by the invariant table, which the system's own name comparison follows: the same
// answer in every locale, in the program and in the MSI custom action alike. The text as it is
// in the unlikely case that the mapping fails.
std::wstring Folded(const std::wstring& text) {
    if (text.empty()) {
        return text;
    }
    const int length = static_cast<int>(text.size());
    std::wstring folded(text.size(), L'\0');
    const int mapped = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.c_str(), length,
                                     folded.data(), length, nullptr, nullptr, 0);
    return mapped == length ? folded : text;
}

// Full (a prefix first taken off, since the system does not tidy a "\\?\" path), then long.
HRESULT LongFullPathOf(const std::wstring& typed, std::wstring& path) {
    std::wstring full;
    const HRESULT made = FullPathOf(WithoutDevicePrefix(typed), full);
    if (FAILED(made)) {
        return made;
    }
    return LongPathOf(full, path);
}

// Which file a path names: its volume's serial number and its index there. None when the file
// does not exist or cannot be opened to tell.
struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;

    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::wstring& path) {
    const UniqueFileHandle file = OpenToAsk(path);
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!file || !GetFileInformationByHandle(file.Get(), &information)) {
        return std::nullopt;
    }
    return FileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                        information.nFileIndexLow};
}

}  // namespace

HRESULT MakeGamePath(const std::wstring& typed, GamePath& path) {
    if (IsUntidyVerbatimPath(typed)) {
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    }
    std::wstring full;
    const HRESULT made = LongFullPathOf(typed, full);
    if (FAILED(made)) {
        return made;
    }
    path.comparable = Folded(full);
    path.full = std::move(full);
    return S_OK;
}

GamePath RecordedGamePath(const std::wstring& recordedPath) {
    GamePath path;
    if (FAILED(LongFullPathOf(recordedPath, path.full))) {
        path.full = recordedPath;
    }
    path.comparable = Folded(path.full);
    return path;
}

bool NameOneGame(const GamePath& a, const GamePath& b) {
    if (a.comparable != b.comparable) {
        return false;
    }
    // The same text names the same file. Texts that differ only in letter case name two files
    // where names keep their case (a case-sensitive folder): two that both exist must be one.
    if (a.full == b.full) {
        return true;
    }
    const std::optional<FileIdentity> first = IdentityOf(a.full);
    const std::optional<FileIdentity> second = first ? IdentityOf(b.full) : std::nullopt;
    return !first || !second || *first == *second;
}

bool RecordedPathNames(const std::wstring& recordedPath, const GamePath& game) {
    return !recordedPath.empty() && NameOneGame(RecordedGamePath(recordedPath), game);
}
