#include "task_shortcuts.h"

#include <cwchar>

#include "format_wide.h"
#include "platform/com_initialization.h"
#include "platform/com_ptr.h"

namespace {

// Below the application data folder: "\Microsoft\Windows\GameExplorer\{GUID}\<kind>\<index>".
constexpr wchar_t kIndexFolderFormat[] = L"%s\\Microsoft\\Windows\\GameExplorer\\%s\\%s\\%d";
// The shortcut inside the index folder: "<index folder>\<name>.lnk".
constexpr wchar_t kShortcutFormat[] = L"%s\\%s.lnk";
// The game's whole task tree, removed in one piece: "\Microsoft\Windows\GameExplorer\{GUID}".
constexpr wchar_t kGameTaskFolderFormat[] = L"%s\\Microsoft\\Windows\\GameExplorer\\%s";

constexpr wchar_t kPlayTasksFolder[] = L"PlayTasks";
constexpr wchar_t kSupportTasksFolder[] = L"SupportTasks";

// Room for a special folder path (at most MAX_PATH) with the task tree below it.
constexpr std::size_t kPathCapacity = 512;
// GetFullPathNameW's buffer; a result of this size or more means the full path did not fit.
constexpr DWORD kFullPathCapacity = 512;
// SHFileOperationW's source list: one path followed by two terminators.
constexpr std::size_t kDeletionListCapacity = 512;

// No progress, confirmation or error dialog: this runs unattended inside an uninstaller. Without
// FOF_ALLOWUNDO the folders are deleted for good rather than moved to the recycle bin.
constexpr FILEOP_FLAGS kDeletionFlags =
    static_cast<FILEOP_FLAGS>(FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI);

// Characters that Windows refuses in a file name; ':' would also open an alternate data stream
// and the separators would leave the index folder.
constexpr wchar_t kForbiddenNameCharacters[] = L"\\/<>:\"|?*";

// True when name can only ever name a file directly inside its index folder.
bool IsPlainFileName(const wchar_t* name) {
    if (name == nullptr || name[0] == L'\0' || std::wcscmp(name, L".") == 0 ||
        std::wcscmp(name, L"..") == 0) {
        return false;
    }
    for (const wchar_t* c = name; *c != L'\0'; ++c) {
        if (*c < L' ' || std::wcschr(kForbiddenNameCharacters, *c) != nullptr) {
            return false;
        }
    }
    return true;
}

int SpecialFolderFor(int scope) {
    return scope == GIS_CURRENT_USER ? CSIDL_LOCAL_APPDATA : CSIDL_COMMON_APPDATA;
}

// Sets the working folder to the folder part of the target's full path, with its trailing
// backslash. When the full path is not known, the shortcut gets no working folder at all rather
// than whatever the buffer happened to hold.
void SetWorkingFolderFromTarget(IShellLinkW& link, const wchar_t* targetPath) {
    wchar_t fullPath[kFullPathCapacity];
    wchar_t* filePart = nullptr;
    const DWORD length = GetFullPathNameW(targetPath, kFullPathCapacity, fullPath, &filePart);
    if (length == 0 || length >= kFullPathCapacity) {
        return;
    }
    // No file part (a target ending in a backslash): the whole full path is the folder.
    if (filePart != nullptr) {
        *filePart = L'\0';
    }
    link.SetWorkingDirectory(fullPath);
}

// Writes the shortcut file. The setters' results are not examined: Save writes whatever the link
// holds, and its own result is what says whether a shortcut now exists.
HRESULT SaveShellLink(const wchar_t* shortcutPath, const wchar_t* targetPath,
                      const wchar_t* arguments) {
    // Declared first so that both interface pointers are released before COM is uninitialised.
    // The steps run even when the initialisation fails: COM may already be set up on this thread.
    ComInitialization com;

    ComPtr<IShellLinkW> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.PutVoid());
    if (FAILED(hr)) {
        return hr;
    }
    if (!link) {
        return E_FAIL;
    }
    link->SetPath(targetPath);
    if (arguments != nullptr) {
        link->SetArguments(arguments);
    }
    SetWorkingFolderFromTarget(*link.Get(), targetPath);

    ComPtr<IPersistFile> persistFile;
    hr = link->QueryInterface(IID_IPersistFile, persistFile.PutVoid());
    if (FAILED(hr)) {
        return hr;
    }
    if (!persistFile) {
        return E_FAIL;
    }
    // TRUE: the file becomes the link's current file; an existing shortcut of that name is
    // replaced, so adding the same task again simply rewrites it.
    hr = persistFile->Save(shortcutPath, TRUE);
    return FAILED(hr) ? hr : S_OK;
}

// SHFileOperationW reports a Win32 error code or one of the shell's older private codes (0x71 to
// 0x88, 0xB7, 0x402 and values from 0x10000 up), which mean nothing as Win32 errors.
HRESULT DeletionFailure(int code) {
    const bool shellPrivateCode = (code >= 0x71 && code <= 0x88) || code == 0xB7 || code == 0x402 ||
                                  code >= 0x10000 || code < 0;
    return shellPrivateCode ? E_FAIL : HRESULT_FROM_WIN32(code);
}

// Deletes specialFolder's task tree of the game with everything in it. A tree that does not
// exist is not handed to the shell at all: there is nothing to remove, so that is no failure.
HRESULT RemoveGameTaskFolder(const wchar_t* specialFolder, const wchar_t* guidText) {
    // Formatted with one element less than the list holds, so that the list always ends in the
    // second terminator that marks the end of the source list.
    wchar_t deletionList[kDeletionListCapacity] = {};
    const HRESULT hr = FormatWide(deletionList, kDeletionListCapacity - 1, kGameTaskFolderFormat,
                                  specialFolder, guidText);
    if (FAILED(hr)) {
        return hr;
    }
    if (GetFileAttributesW(deletionList) == INVALID_FILE_ATTRIBUTES) {
        return S_OK;
    }
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = deletionList;
    operation.fFlags = kDeletionFlags;
    const int code = SHFileOperationW(&operation);
    return code == 0 ? S_OK : DeletionFailure(code);
}

}  // namespace

HRESULT CreateGameTask(int scope, const GUID& gameId, int isSupport, int index, const wchar_t* name,
                       const wchar_t* targetPath, const wchar_t* arguments) {
    if (!IsPlainFileName(name) || targetPath == nullptr) {
        return E_INVALIDARG;
    }

    wchar_t specialFolder[MAX_PATH];
    HRESULT hr = SHGetFolderPathW(nullptr, SpecialFolderFor(scope), nullptr, SHGFP_TYPE_CURRENT,
                                  specialFolder);
    if (FAILED(hr)) {
        return hr;
    }
    wchar_t guidText[CHARS_IN_GUID];
    StringFromGUID2(gameId, guidText, CHARS_IN_GUID);

    // Both paths are built before anything is created: a path cut to fit its buffer would put the
    // shortcut under a name nobody asked for.
    wchar_t indexFolder[kPathCapacity];
    hr = FormatWide(indexFolder, kPathCapacity, kIndexFolderFormat, specialFolder, guidText,
                    isSupport != 0 ? kSupportTasksFolder : kPlayTasksFolder, index);
    if (FAILED(hr)) {
        return hr;
    }
    wchar_t shortcutPath[kPathCapacity];
    hr = FormatWide(shortcutPath, kPathCapacity, kShortcutFormat, indexFolder, name);
    if (FAILED(hr)) {
        return hr;
    }

    // Not examined: an existing folder is what a second task of the same index finds, and a
    // folder that could not be made shows up as the failure of Save.
    SHCreateDirectoryExW(nullptr, indexFolder, nullptr);

    return SaveShellLink(shortcutPath, targetPath, arguments);
}

HRESULT RemoveGameTasks(const GUID& gameId) {
    // Both folders are asked for before anything is deleted, so that a failure of either leaves
    // the game's tasks untouched.
    wchar_t localAppData[MAX_PATH];
    HRESULT hr =
        SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData);
    if (FAILED(hr)) {
        return hr;
    }
    wchar_t commonAppData[MAX_PATH];
    hr =
        SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, commonAppData);
    if (FAILED(hr)) {
        return hr;
    }
    wchar_t guidText[CHARS_IN_GUID];
    StringFromGUID2(gameId, guidText, CHARS_IN_GUID);

    // The game may have been added for either scope, so both trees go. An uninstaller wants as
    // much removed as can be: the second tree is attempted even when the first stayed.
    const HRESULT localResult = RemoveGameTaskFolder(localAppData, guidText);
    const HRESULT commonResult = RemoveGameTaskFolder(commonAppData, guidText);
    return FAILED(localResult) ? localResult : commonResult;
}
