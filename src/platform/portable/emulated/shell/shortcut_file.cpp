#include "emulated/shell/shortcut_file.h"

#include <fcntl.h>

#include <cerrno>

#include "emulated/files/emulated_files.h"
#include "emulated/host/atomic_file.h"
#include "emulated/host/host_files.h"
#include "platform/shell_names.h"

HRESULT SaveShortcutFile(const DriveMapping& drives, LPCOLESTR fileName, std::string_view bytes) {
    if (fileName == nullptr) {
        return E_INVALIDARG;
    }
    std::optional<WindowsPath> full = drives.FullPath(fileName);
    if (!full) {
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    }
    if (full->Text().size() >= MAX_PATH) {
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    // Windows hands a file of a device's name to the device: the bytes go nowhere, no file
    // appears, and the save succeeds.
    const std::wstring& text = full->Text();
    if (IsReservedDeviceName(std::wstring_view(text).substr(text.find_last_of(L'\\') + 1))) {
        return S_OK;
    }
    DriveMapping::HostPath host = drives.ToHost(*full);
    if (host.error != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(host.error);
    }
    switch (ReplaceFileAtomically(host.path, bytes)) {
        case 0:
            return S_OK;
        case ENOENT:
        case ENOTDIR:
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return E_ACCESSDENIED;
        default:
            return E_FAIL;
    }
}

HRESULT LoadShortcutFile(const DriveMapping& drives, LPCOLESTR fileName, std::string& bytes) {
    if (fileName == nullptr) {
        return E_INVALIDARG;
    }
    const DriveMapping::HostPath host = drives.ToHost(fileName);
    if (host.error != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(host.error);
    }
    if (!host.exists) {
        return HRESULT_FROM_WIN32(MissingPathError(host.path));
    }
    bytes.clear();
    HostFile file;
    int error = file.Open(host.path, O_RDONLY);
    if (error == 0) {
        error = file.ReadToEnd(bytes, kMaxShortcutFileBytes);
    }
    switch (error) {
        case 0:
            return S_OK;
        case ENOENT:
            return HRESULT_FROM_WIN32(MissingPathError(host.path));
        case EFBIG:
            return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
        case EACCES:
        case EPERM:
        case EISDIR:
            return E_ACCESSDENIED;
        default:
            return E_FAIL;
    }
}
