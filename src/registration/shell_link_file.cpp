#include "shell_link_file.h"

#include <string>

#include "folder_paths.h"
#include "persist_to_file.h"
#include "platform/com_initialization.h"

namespace {

// The longest working folder a shortcut stores whole, with its terminator.
constexpr std::size_t kShortcutPathCapacity = MAX_PATH;

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

}  // namespace

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
    // Created without giving an object: no call failed, so say what is missing.
    if (!link) {
        return E_POINTER;
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
