#include "emulated/shell/shell_link.h"

#include <cwchar>

#include "emulated/host/host_file_facts.h"
#include "emulated/shell/shortcut_file.h"

namespace {

// The shell keeps a target and a working folder in MAX_PATH characters with the terminator; it
// would cut a longer one, so the emulated shell refuses it rather than keep what Windows drops.
bool FitsInShortcut(LPCWSTR path) {
    return std::wcslen(path) < MAX_PATH;
}

}  // namespace

ShellLink::ShellLink(std::shared_ptr<EmulatedMachine> machine) : machine_(std::move(machine)) {}

HRESULT ShellLink::SetPath(LPCWSTR path) {
    if (path == nullptr || !FitsInShortcut(path)) {
        return E_INVALIDARG;
    }
    std::optional<WindowsPath> full = machine_->drives.FullPath(path);
    if (full && full->Text().size() >= MAX_PATH) {
        return E_INVALIDARG;
    }
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
    if (directory == nullptr || !FitsInShortcut(directory)) {
        return E_INVALIDARG;
    }
    contents_.workingDirectory = directory;
    return S_OK;
}

HRESULT ShellLink::Save(LPCOLESTR fileName, BOOL /*remember*/) {
    return SaveShortcutFile(machine_->drives, fileName, ShellLinkBytes(contents_));
}
