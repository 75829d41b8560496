#include "emulated/shell/shell_link.h"

#include "emulated/host/host_file_facts.h"
#include "emulated/shell/shortcut_file.h"

ShellLink::ShellLink(std::shared_ptr<EmulatedMachine> machine) : machine_(std::move(machine)) {}

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
    return SaveShortcutFile(machine_->drives, fileName, ShellLinkBytes(contents_));
}
