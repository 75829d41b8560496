#include "shell_link.h"

#include <cerrno>

#include "atomic_file.h"
#include "host_file_facts.h"
#include "win32_codes.h"

ShellLink::ShellLink(std::shared_ptr<EmulatedMachine> machine) : machine_(std::move(machine)) {}

HRESULT ShellLink::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IShellLinkW)) {
        *object = static_cast<IShellLinkW*>(this);
    } else if (IsEqualGUID(iid, IID_IPersistFile)) {
        *object = static_cast<IPersistFile*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG ShellLink::AddRef() {
    return count_.AddReference();
}

ULONG ShellLink::Release() {
    ULONG left = count_.DropReference();
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT ShellLink::SetPath(LPCWSTR path) {
    if (path == nullptr) {
        return E_INVALIDARG;
    }
    std::optional<WindowsPath> full = machine_->drives.FullPath(path);
    contents_.localPath = full ? full->Text() : std::wstring(path);
    HostFileFacts facts;
    if (full) {
        DriveMapping::HostPath host = machine_->drives.ToHost(*full);
        if (host.error == ERROR_SUCCESS) {
            facts = FactsOf(host.path);
        }
    }
    bool exists = facts.attributes != INVALID_FILE_ATTRIBUTES;
    contents_.fileAttributes = exists ? facts.attributes : 0;
    contents_.creationTime = facts.creationTime;
    contents_.accessTime = facts.accessTime;
    contents_.writeTime = facts.writeTime;
    contents_.fileSize = static_cast<std::uint32_t>(facts.size);
    return S_OK;
}

HRESULT ShellLink::SetArguments(LPCWSTR arguments) {
    if (arguments == nullptr) {
        return E_INVALIDARG;
    }
    contents_.arguments = arguments;
    return S_OK;
}

HRESULT ShellLink::SetWorkingDirectory(LPCWSTR directory) {
    if (directory == nullptr) {
        return E_INVALIDARG;
    }
    contents_.workingDirectory = directory;
    return S_OK;
}

HRESULT ShellLink::Save(LPCOLESTR fileName, BOOL /*remember*/) {
    if (fileName == nullptr) {
        return E_INVALIDARG;
    }
    std::optional<WindowsPath> full = machine_->drives.FullPath(fileName);
    if (!full) {
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    }
    if (full->Text().size() >= MAX_PATH) {
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    DriveMapping::HostPath host = machine_->drives.ToHost(*full);
    if (host.error != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(host.error);
    }
    switch (ReplaceFileAtomically(host.path, ShellLinkBytes(contents_))) {
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
