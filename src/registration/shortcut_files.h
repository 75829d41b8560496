// Writing one task's shortcut file through the shell: a shell link (.lnk) that starts a program
// or opens a document, or an Internet shortcut (.url) that opens a web address. Both are saved
// through their file interface by SaveToFile.
#pragma once

#include "platform/gameux.h"
#include "platform/owners.h"

// Writes a shell link to targetPath at shortcutPath, with arguments (none when null) and the
// folder of the target's full path as its working folder (none when that cannot be had). A
// setter that fails stops it before anything is saved: a shortcut that starts something else
// than the task line says is worse than none. A working folder of MAX_PATH characters or more
// is refused with ERROR_FILENAME_EXCED_RANGE. In shell_link_file.cpp.
HRESULT SaveShellLink(const wchar_t* shortcutPath, const wchar_t* targetPath,
                      const wchar_t* arguments);

// Writes an Internet shortcut that opens address at shortcutPath. In internet_shortcut_file.cpp.
HRESULT SaveInternetShortcut(const wchar_t* shortcutPath, const wchar_t* address);

// Saves object through its file interface to path. TRUE: the file becomes the object's current
// file; an existing file of that name is replaced, so adding the same task again rewrites it.
inline HRESULT SaveToFile(IUnknown& object, const wchar_t* path) {
    ComPtr<IPersistFile> persistFile;
    const HRESULT hr = object.QueryInterface(IID_IPersistFile, persistFile.PutVoid());
    if (FAILED(hr)) {
        return hr;
    }
    // The call succeeded without giving an interface: no call failed, so say what is missing.
    if (!persistFile) {
        return E_POINTER;
    }
    const HRESULT saved = persistFile->Save(path, TRUE);
    return FAILED(saved) ? saved : S_OK;
}
