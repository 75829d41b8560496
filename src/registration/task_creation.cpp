// Creating one task: checks, the paths of its index folder and shortcut, the folder, the file.
#include <cwchar>
#include <string>
#include <vector>

#include "folder_paths.h"
#include "format_wide.h"
#include "internet_shortcut_file.h"
#include "output/program_error_messages.h"
#include "platform/win32_failure.h"
#include "shell_link_file.h"
#include "task_checks.h"
#include "task_creation.h"
#include "task_entry_kind.h"

namespace {

// The shortcut inside the index folder: "<index folder>\<name>.lnk", or "<name>.url" for a task
// that opens a web address.
constexpr wchar_t kShortcutFormat[] = L"%s\\%s.lnk";
constexpr wchar_t kInternetShortcutFormat[] = L"%s\\%s.url";

// S_OK unless a folder that the shortcut would be written into or below (GameExplorer, the
// game's, the kind's, the index folder) is a link: a folder missing is made, and nothing is
// written through a link. Looks no further than the first folder that is missing.
HRESULT RefuseLinkedFolders(const std::vector<std::wstring>& chain) {
    ChainBreak found;
    const HRESULT hr = FindChainBreak(chain, found);
    if (FAILED(hr)) {
        return hr;
    }
    return found.kind == TaskEntryKind::Link ? kTaskFolderHoldsLinkOrForeignEntry : S_OK;
}

// SHCreateDirectoryExW's codes for a folder that is already there.
bool FolderIsThere(int created) {
    return created == ERROR_SUCCESS || created == ERROR_ALREADY_EXISTS ||
           created == ERROR_FILE_EXISTS;
}

}  // namespace

HRESULT CreateGameTask(int scope, const GUID& gameId, TaskKind kind, int index, const wchar_t* name,
                       const wchar_t* targetPath, const wchar_t* arguments) {
    HRESULT hr = CheckTask(name, targetPath, arguments);
    if (FAILED(hr)) {
        return hr;
    }
    GameTaskRoot root;
    hr = LocateGameTaskRoot(SpecialFolderFor(scope), gameId, root);
    if (FAILED(hr)) {
        return hr;
    }

    // Both paths are built before anything is created: a path cut to fit its buffer would put the
    // shortcut under a name nobody asked for.
    const bool webAddress = IsWebAddress(targetPath);
    std::vector<std::wstring> folders;
    hr = TaskFolderChain(root, kind, index, folders);
    if (FAILED(hr)) {
        return hr;
    }
    const wchar_t* indexFolder = folders.back().c_str();
    wchar_t shortcutPath[kTaskPathCapacity];
    hr = FormatWide(shortcutPath, kTaskPathCapacity,
                    webAddress ? kInternetShortcutFormat : kShortcutFormat, indexFolder, name);
    // Windows' shell refuses a longer path; Wine's saves it, and its own delete then cannot
    // remove it (nor the folders above it) ever again.
    if (hr == kFormatWideTruncated || (SUCCEEDED(hr) && std::wcslen(shortcutPath) >= MAX_PATH)) {
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    if (FAILED(hr)) {
        return hr;
    }
    hr = RefuseLinkedFolders(folders);
    if (FAILED(hr)) {
        return hr;
    }

    // An existing folder is what a second task of the same index finds. A folder that cannot be
    // made is the reason the task is not added (the save would only report a missing path).
    if (const int created = SHCreateDirectoryExW(nullptr, indexFolder, nullptr);
        !FolderIsThere(created)) {
        return HResultFromWin32Error(static_cast<DWORD>(created));
    }

    // Arguments and a working folder mean nothing to a web address.
    return webAddress ? SaveInternetShortcut(shortcutPath, targetPath)
                      : SaveShellLink(shortcutPath, targetPath, arguments);
}
