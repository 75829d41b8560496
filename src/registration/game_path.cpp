// The comparable form of a game's path: every spelling of one file comes to one text.
#include <utility>

#include "game_path.h"
#include "game_paths.h"

namespace {

std::wstring WithoutDevicePrefix(const std::wstring& path) {
    for (const wchar_t* prefix : {L"\\\\?\\", L"\\\\.\\"}) {
        if (path.starts_with(prefix)) {
            const std::wstring rest = path.substr(4);
            return rest.starts_with(L"UNC\\") ? L"\\" + rest.substr(3) : rest;
        }
    }
    return path;
}

// The path with its short names made long; the path as it is when that cannot be had (a file
// that does not exist has no short names to make long). Only a path with a "~" is asked about:
// every short name that Windows makes has one.
std::wstring LongPathOf(const std::wstring& path) {
    if (path.find(L'~') == std::wstring::npos) {
        return path;
    }
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length =
            GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            break;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.assign(length, L'\0');
    }
    return path;
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
    path = LongPathOf(full);
    return S_OK;
}

}  // namespace

HRESULT MakeGamePath(const std::wstring& typed, GamePath& path) {
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
    return a.comparable == b.comparable;
}

bool RecordedPathNames(const std::wstring& recordedPath, const GamePath& game) {
    return !recordedPath.empty() && NameOneGame(RecordedGamePath(recordedPath), game);
}
