// Removing a game's task folders: the whole tree below both application data folders, or one
// scope's play and support folders.
#include <optional>

#include "game_paths.h"
#include "platform/gameux.h"
#include "platform/win32_failure.h"
#include "task_shortcuts.h"

namespace {

// SHFileOperationW's source list: one path followed by two terminators.
constexpr std::size_t kDeletionListCapacity = 512;

// No progress, confirmation or error dialog: this runs unattended inside an uninstaller. Without
// FOF_ALLOWUNDO the folders are deleted for good rather than moved to the recycle bin.
constexpr FILEOP_FLAGS kDeletionFlags =
    static_cast<FILEOP_FLAGS>(FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI);

// SHFileOperationW reports a Win32 error code or one of the shell's older private codes (0x71 to
// 0x88, 0xB7, 0x402 and values from 0x10000 up), which mean nothing as Win32 errors. Those with a
// Win32 error of the same meaning are reported as it.
HRESULT DeletionFailure(int code) {
    constexpr int kAccessDeniedSource = 0x78;  // DE_ACCESSDENIEDSRC
    constexpr int kPathTooDeep = 0x79;         // DE_PATHTOODEEP
    constexpr int kInvalidFiles = 0x7C;        // DE_INVALIDFILES: the path is invalid
    constexpr int kFileNameTooLong = 0x81;     // DE_FILENAMETOOLONG
    constexpr LONG kBadPathName = 161;         // ERROR_BAD_PATHNAME
    switch (code) {
        case kAccessDeniedSource:
            return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
        case kPathTooDeep:
        case kFileNameTooLong:
            return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
        case kInvalidFiles:
            return HRESULT_FROM_WIN32(kBadPathName);
        default:
            break;
    }
    const bool shellPrivateCode = (code >= 0x71 && code <= 0x88) || code == 0xB7 || code == 0x402 ||
                                  code >= 0x10000 || code < 0;
    // The shell failed with a code of its own that no Win32 error matches.
    return shellPrivateCode ? E_FAIL : HRESULT_FROM_WIN32(code);
}

// Deletes a folder with everything in it. A folder that does not exist is not handed to the
// shell at all: there is nothing to remove, so that is no failure. folderList holds the path
// followed by at least two terminators, as the shell's source list must.
HRESULT RemoveFolderTree(const wchar_t* folderList) {
    if (GetFileAttributesW(folderList) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        // Anything else (access denied, a broken path) may hide tasks that would then stay.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return S_OK;
        }
        return HResultFromWin32Error(error);
    }
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = folderList;
    operation.fFlags = kDeletionFlags;
    const int code = SHFileOperationW(&operation);
    return code == 0 ? S_OK : DeletionFailure(code);
}

// Deletes the root's task tree of the game (or, with a kind, that kind's part of it).
HRESULT RemoveGameTaskFolder(const GameTaskRoot& root,
                             std::optional<TaskKind> kind = std::nullopt) {
    // Built with one element less than the list holds, so that the list always ends in the
    // second terminator that marks the end of the source list.
    wchar_t deletionList[kDeletionListCapacity] = {};
    const HRESULT hr = kind ? TaskKindFolder(deletionList, kDeletionListCapacity - 1,
                                             root.specialFolder, root.guidText, *kind)
                            : GameTaskFolder(deletionList, kDeletionListCapacity - 1,
                                             root.specialFolder, root.guidText);
    if (FAILED(hr)) {
        return hr;
    }
    return RemoveFolderTree(deletionList);
}

}  // namespace

HRESULT RemoveGameTasks(const GUID& gameId) {
    // Both folders are asked for before anything is deleted, so that a failure of either leaves
    // the game's tasks untouched.
    GameTaskRoot local;
    HRESULT hr = LocateGameTaskRoot(CSIDL_LOCAL_APPDATA, gameId, local);
    if (FAILED(hr)) {
        return hr;
    }
    GameTaskRoot common;
    hr = LocateGameTaskRoot(CSIDL_COMMON_APPDATA, gameId, common);
    if (FAILED(hr)) {
        return hr;
    }
    // The game may have been added for either scope, so both trees go. An uninstaller wants as
    // much removed as can be: the second tree is attempted even when the first stayed.
    const HRESULT localResult = RemoveGameTaskFolder(local);
    const HRESULT commonResult = RemoveGameTaskFolder(common);
    return FAILED(localResult) ? localResult : commonResult;
}

HRESULT RemoveScopeTasks(int scope, const GUID& gameId) {
    GameTaskRoot root;
    const HRESULT hr = LocateGameTaskRoot(SpecialFolderFor(scope), gameId, root);
    if (FAILED(hr)) {
        return hr;
    }
    // Every kind is attempted, as for the whole tree; the first failure is the result.
    HRESULT result = S_OK;
    for (const TaskKindRow& row : kTaskKinds) {
        const HRESULT removed = RemoveGameTaskFolder(root, row.kind);
        if (SUCCEEDED(result)) {
            result = removed;
        }
    }
    return result;
}
