#include "task_shortcuts.h"

#include <cwchar>
#include <optional>
#include <string>

#include "format_wide.h"
#include "game_paths.h"
#include "platform/com_initialization.h"
#include "platform/com_ptr.h"
#include "platform/shell_names.h"
#include "platform/win32_failure.h"

namespace {

// The shortcut inside the index folder: "<index folder>\<name>.lnk", or "<name>.url" for a task
// that opens a web address.
constexpr wchar_t kShortcutFormat[] = L"%s\\%s.lnk";
constexpr wchar_t kInternetShortcutFormat[] = L"%s\\%s.url";

// Targets that start with these (in any case) are web addresses, not files.
constexpr const wchar_t* kWebAddressPrefixes[] = {L"http://", L"https://"};

// Room for a special folder path (at most MAX_PATH) with the task tree below it.
constexpr std::size_t kPathCapacity = 512;
// The longest target or working folder a shortcut stores whole, with its terminator; the shell
// cuts a longer one, and the shortcut would start nothing.
constexpr std::size_t kShortcutPathCapacity = MAX_PATH;
// SHFileOperationW's source list: one path followed by two terminators.
constexpr std::size_t kDeletionListCapacity = 512;

// No progress, confirmation or error dialog: this runs unattended inside an uninstaller. Without
// FOF_ALLOWUNDO the folders are deleted for good rather than moved to the recycle bin.
constexpr FILEOP_FLAGS kDeletionFlags =
    static_cast<FILEOP_FLAGS>(FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI);

// True when name can only ever name a file directly inside its index folder, and names that
// file and nothing else: Windows sends the device names to their devices and drops a trailing
// dot or blank, so a task of such a name would be reported added and never be found.
bool IsPlainFileName(const wchar_t* name) {
    if (name == nullptr || name[0] == L'\0') {
        return false;
    }
    const std::wstring_view text(name);
    for (wchar_t c : text) {
        if (c < L' ' || kForbiddenNameCharacters.find(c) != std::wstring_view::npos) {
            return false;
        }
    }
    return text.back() != L'.' && text.back() != L' ' && !IsReservedDeviceName(text);
}

// A line break in an Internet shortcut's address would start a line of its own in the file,
// such as an icon fetched from a remote share; no control character belongs in an address.
bool HasControlCharacter(const wchar_t* text) {
    for (; *text != L'\0'; ++text) {
        if (*text < L' ' || *text == L'\x7f') {
            return true;
        }
    }
    return false;
}

// The scheme is compared letter by letter in ASCII, so that no locale's case rules apply.
bool IsWebAddress(const wchar_t* target) {
    for (const wchar_t* prefix : kWebAddressPrefixes) {
        const wchar_t* t = target;
        const wchar_t* p = prefix;
        while (*p != L'\0' && (*t == *p || (*t >= L'A' && *t <= L'Z' && *t - L'A' + L'a' == *p))) {
            ++t;
            ++p;
        }
        if (*p == L'\0') {
            return true;
        }
    }
    return false;
}

int SpecialFolderFor(int scope) {
    return scope == GIS_CURRENT_USER ? CSIDL_LOCAL_APPDATA : CSIDL_COMMON_APPDATA;
}

// Sets the working folder to the folder of the target's full path. When the full path is not
// known, the shortcut gets no working folder at all rather than a wrong one; a folder too long
// for a shortcut refuses the task.
HRESULT SetWorkingFolderFromTarget(IShellLinkW& link, const wchar_t* targetPath) {
    std::wstring folder;
    if (FAILED(WorkingFolderOf(targetPath, folder))) {
        return S_OK;
    }
    if (folder.size() >= kShortcutPathCapacity) {
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    return link.SetWorkingDirectory(folder.c_str());
}

// Saves the object's file interface to path. TRUE: the file becomes the object's current file;
// an existing file of that name is replaced, so adding the same task again simply rewrites it.
HRESULT SaveToFile(IUnknown& object, const wchar_t* path) {
    ComPtr<IPersistFile> persistFile;
    HRESULT hr = object.QueryInterface(IID_IPersistFile, persistFile.PutVoid());
    if (FAILED(hr)) {
        return hr;
    }
    if (!persistFile) {
        return E_FAIL;
    }
    hr = persistFile->Save(path, TRUE);
    return FAILED(hr) ? hr : S_OK;
}

// Writes the shortcut file. A setter that fails stops the task before anything is saved: a
// shortcut that starts something else than the task line says is worse than none.
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
    hr = link->SetPath(targetPath);
    if (SUCCEEDED(hr) && arguments != nullptr) {
        hr = link->SetArguments(arguments);
    }
    if (SUCCEEDED(hr)) {
        hr = SetWorkingFolderFromTarget(*link.Get(), targetPath);
    }
    if (FAILED(hr)) {
        return hr;
    }
    return SaveToFile(*link.Get(), shortcutPath);
}

// Writes an Internet shortcut (.url) that opens address.
HRESULT SaveInternetShortcut(const wchar_t* shortcutPath, const wchar_t* address) {
    ComInitialization com;

    ComPtr<IUniformResourceLocatorW> locator;
    HRESULT hr = CoCreateInstance(CLSID_InternetShortcut, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IUniformResourceLocatorW, locator.PutVoid());
    if (FAILED(hr)) {
        return hr;
    }
    if (!locator) {
        return E_FAIL;
    }
    // No flags: the address is taken as given, never guessed at or completed.
    hr = locator->SetURL(address, 0);
    if (FAILED(hr)) {
        return hr;
    }
    return SaveToFile(*locator.Get(), shortcutPath);
}

// SHFileOperationW reports a Win32 error code or one of the shell's older private codes (0x71 to
// 0x88, 0xB7, 0x402 and values from 0x10000 up), which mean nothing as Win32 errors.
HRESULT DeletionFailure(int code) {
    const bool shellPrivateCode = (code >= 0x71 && code <= 0x88) || code == 0xB7 || code == 0x402 ||
                                  code >= 0x10000 || code < 0;
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

// Deletes specialFolder's task tree of the game (or, with a kind, that kind's part of it).
HRESULT RemoveGameTaskFolder(const wchar_t* specialFolder, const wchar_t* guidText,
                             std::optional<TaskKind> kind = std::nullopt) {
    // Built with one element less than the list holds, so that the list always ends in the
    // second terminator that marks the end of the source list.
    wchar_t deletionList[kDeletionListCapacity] = {};
    const HRESULT hr =
        kind ? TaskKindFolder(deletionList, kDeletionListCapacity - 1, specialFolder, guidText,
                              *kind)
             : GameTaskFolder(deletionList, kDeletionListCapacity - 1, specialFolder, guidText);
    if (FAILED(hr)) {
        return hr;
    }
    return RemoveFolderTree(deletionList);
}

}  // namespace

HRESULT CreateGameTask(int scope, const GUID& gameId, int isSupport, int index, const wchar_t* name,
                       const wchar_t* targetPath, const wchar_t* arguments) {
    if (!IsPlainFileName(name)) {
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    }
    if (targetPath == nullptr || targetPath[0] == L'\0') {
        return E_INVALIDARG;
    }
    const bool webAddress = IsWebAddress(targetPath);
    if (webAddress && HasControlCharacter(targetPath)) {
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    }
    // The shell would cut a longer target or longer arguments, and the task would start
    // something else than given.
    if (!webAddress &&
        (std::wcslen(targetPath) >= kShortcutPathCapacity ||
         (arguments != nullptr && std::wcslen(arguments) > kMaxShortcutArgumentsLength))) {
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
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
    hr = TaskKindFolder(indexFolder, kPathCapacity, specialFolder, guidText,
                        isSupport != 0 ? TaskKind::Support : TaskKind::Play, index);
    if (FAILED(hr)) {
        return hr;
    }
    wchar_t shortcutPath[kPathCapacity];
    hr = FormatWide(shortcutPath, kPathCapacity,
                    webAddress ? kInternetShortcutFormat : kShortcutFormat, indexFolder, name);
    if (FAILED(hr)) {
        return hr;
    }

    // Not examined: an existing folder is what a second task of the same index finds, and a
    // folder that could not be made shows up as the failure of Save.
    SHCreateDirectoryExW(nullptr, indexFolder, nullptr);

    // Arguments and a working folder mean nothing to a web address.
    return webAddress ? SaveInternetShortcut(shortcutPath, targetPath)
                      : SaveShellLink(shortcutPath, targetPath, arguments);
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

HRESULT RemoveScopeTasks(int scope, const GUID& gameId) {
    wchar_t specialFolder[MAX_PATH];
    const HRESULT hr = SHGetFolderPathW(nullptr, SpecialFolderFor(scope), nullptr,
                                        SHGFP_TYPE_CURRENT, specialFolder);
    if (FAILED(hr)) {
        return hr;
    }
    wchar_t guidText[CHARS_IN_GUID];
    StringFromGUID2(gameId, guidText, CHARS_IN_GUID);

    // Both kinds are attempted, as for the whole tree.
    const HRESULT playResult = RemoveGameTaskFolder(specialFolder, guidText, TaskKind::Play);
    const HRESULT supportResult = RemoveGameTaskFolder(specialFolder, guidText, TaskKind::Support);
    return FAILED(playResult) ? playResult : supportResult;
}
