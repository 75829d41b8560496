#include "folder_paths.h"

#include <cwchar>
#include <utility>

#include "format_wide.h"
#include "platform/gameux.h"
#include "platform/win32_failure.h"

namespace {

// Where Game Explorer looks for the games' tasks, below an application data folder, and below it
// one game's.
constexpr wchar_t kGameExplorerFolderFormat[] = L"%s\\Microsoft\\Windows\\GameExplorer";
constexpr wchar_t kGameFolderFormat[] = L"\\%s";
constexpr wchar_t kKindFolderFormat[] = L"\\%s";
constexpr wchar_t kIndexFolderFormat[] = L"\\%d";

// "C:" alone means the current folder of drive C, and an empty text no folder at all: the
// separator after a drive or at the very start is part of the folder.
bool KeepsSeparator(const std::wstring& path, std::size_t separator) {
    return separator == 0 || (separator == 2 && path[1] == L':');
}

// Appends a formatted piece to the terminated text in folder.
HRESULT Append(wchar_t* folder, std::size_t capacity, const wchar_t* format, ...) {
    const std::size_t length = std::wcslen(folder);
    va_list arguments;
    va_start(arguments, format);
    const HRESULT hr = FormatWideV(folder + length, capacity - length, format, arguments);
    va_end(arguments);
    return hr;
}

}  // namespace

HRESULT PathCallText(const std::function<DWORD(wchar_t* buffer, DWORD capacity)>& call,
                     std::wstring& text) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return LastErrorResult();
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            text = std::move(buffer);
            return S_OK;
        }
        buffer.assign(length, L'\0');
    }
    return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
}

HRESULT FullPathOf(const std::wstring& path, std::wstring& full) {
    if (path.empty()) {
        return E_INVALIDARG;
    }
    // The current folder does not change between the two calls a long path may take.
    const HRESULT made = PathCallText(
        [&](wchar_t* buffer, DWORD capacity) {
            return GetFullPathNameW(path.c_str(), capacity, buffer, nullptr);
        },
        full);
    return SUCCEEDED(made) ? S_OK : E_INVALIDARG;
}

std::wstring DirectoryOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        return std::wstring();
    }
    return path.substr(0, KeepsSeparator(path, separator) ? separator + 1 : separator);
}

UniqueFileHandle OpenToAsk(const std::wstring& path) {
    return UniqueFileHandle(
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

HRESULT WorkingFolderOf(const std::wstring& target, std::wstring& folder) {
    std::wstring full;
    const HRESULT hr = FullPathOf(target, full);
    if (FAILED(hr)) {
        return hr;
    }
    // DirectoryOf drops the last separator except at a root; the working folder keeps it. A
    // full path always has one, right after the part that DirectoryOf returns.
    std::wstring directory = DirectoryOf(full);
    const bool endsInSeparator =
        !directory.empty() && (directory.back() == L'\\' || directory.back() == L'/');
    if (!endsInSeparator && directory.size() < full.size()) {
        directory += full[directory.size()];
    }
    folder = std::move(directory);
    return S_OK;
}

int SpecialFolderFor(int scope) {
    return scope == GIS_CURRENT_USER ? CSIDL_LOCAL_APPDATA : CSIDL_COMMON_APPDATA;
}

HRESULT LocateGameTaskRoot(int specialFolderId, const GUID& gameId, GameTaskRoot& root) {
    const HRESULT hr =
        SHGetFolderPathW(nullptr, specialFolderId, nullptr, SHGFP_TYPE_CURRENT, root.specialFolder);
    if (FAILED(hr)) {
        return hr;
    }
    StringFromGUID2(gameId, root.guidText, CHARS_IN_GUID);
    return S_OK;
}

HRESULT GameExplorerFolder(wchar_t* folder, std::size_t capacity, const wchar_t* specialFolder) {
    return FormatWide(folder, capacity, kGameExplorerFolderFormat, specialFolder);
}

HRESULT GameTaskFolder(wchar_t* folder, std::size_t capacity, const wchar_t* specialFolder,
                       const wchar_t* guidText) {
    const HRESULT hr = GameExplorerFolder(folder, capacity, specialFolder);
    return SUCCEEDED(hr) ? Append(folder, capacity, kGameFolderFormat, guidText) : hr;
}

HRESULT TaskKindFolder(wchar_t* folder, std::size_t capacity, const wchar_t* specialFolder,
                       const wchar_t* guidText, TaskKind kind, int index) {
    HRESULT hr = GameTaskFolder(folder, capacity, specialFolder, guidText);
    if (SUCCEEDED(hr)) {
        hr = Append(folder, capacity, kKindFolderFormat, TaskKindRowOf(kind).folder);
    }
    if (SUCCEEDED(hr) && index != kNoTaskIndex) {
        hr = Append(folder, capacity, kIndexFolderFormat, index);
    }
    return hr;
}

HRESULT TaskFolderChain(const GameTaskRoot& root, std::optional<TaskKind> kind, int index,
                        std::vector<std::wstring>& chain) {
    wchar_t folder[kTaskPathCapacity];
    HRESULT hr =
        FormatWide(folder, kTaskPathCapacity, kGameExplorerFolderFormat, root.specialFolder);
    std::vector<std::wstring> folders;
    // Each step keeps the folder so far and goes one folder deeper.
    const auto deeper = [&](const wchar_t* format, auto name) {
        if (SUCCEEDED(hr)) {
            folders.emplace_back(folder);
            hr = Append(folder, kTaskPathCapacity, format, name);
        }
    };
    deeper(kGameFolderFormat, root.guidText);
    if (kind) {
        deeper(kKindFolderFormat, TaskKindRowOf(*kind).folder);
    }
    if (kind && index != kNoTaskIndex) {
        deeper(kIndexFolderFormat, index);
    }
    if (FAILED(hr)) {
        return hr;
    }
    folders.emplace_back(folder);
    chain = std::move(folders);
    return S_OK;
}
