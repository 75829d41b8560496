#include "emulated/shell/shell_link.h"

#include <algorithm>
#include <cwchar>

#include "emulated/host/host_file_facts.h"
#include "emulated/shell/shell_link_reader.h"
#include "emulated/shell/shortcut_file.h"

namespace {

// The shell keeps a target and a working folder in MAX_PATH characters with the terminator; it
// would cut a longer one, so the emulated shell refuses it rather than keep what Windows drops.
bool FitsInShortcut(LPCWSTR path) {
    return std::wcslen(path) < MAX_PATH;
}

// Copies text into buffer, cut to count characters with the terminator.
void CopyCut(std::wstring_view text, LPWSTR buffer, int count) {
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(count) - 1);
    std::wmemcpy(buffer, text.data(), length);
    buffer[length] = L'\0';
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

HRESULT ShellLink::GetPath(LPWSTR file, int count, WIN32_FIND_DATAW* findData, DWORD /*flags*/) {
    if (file == nullptr || count < 1) {
        return E_INVALIDARG;
    }
    CopyCut(contents_.localPath, file, count);
    if (findData != nullptr) {
        *findData = {};
        findData->dwFileAttributes = contents_.fileAttributes;
        findData->ftCreationTime = ToFileTime(contents_.creationTime);
        findData->ftLastAccessTime = ToFileTime(contents_.accessTime);
        findData->ftLastWriteTime = ToFileTime(contents_.writeTime);
        findData->nFileSizeLow = contents_.fileSize;
        const std::size_t name = contents_.localPath.find_last_of(L'\\');
        CopyCut(name == std::wstring::npos
                    ? contents_.localPath
                    : std::wstring_view(contents_.localPath).substr(name + 1),
                findData->cFileName, MAX_PATH);
    }
    return contents_.localPath.empty() ? S_FALSE : S_OK;
}

HRESULT ShellLink::GetArguments(LPWSTR arguments, int count) {
    if (arguments == nullptr || count < 1) {
        return E_INVALIDARG;
    }
    CopyCut(contents_.arguments, arguments, count);
    return S_OK;
}

HRESULT ShellLink::Load(LPCOLESTR fileName, DWORD /*mode*/) {
    std::string bytes;
    const HRESULT loaded = LoadShortcutFile(machine_->drives, fileName, bytes);
    if (FAILED(loaded)) {
        return loaded;
    }
    std::optional<ShellLinkContents> contents = ReadShellLinkBytes(bytes);
    if (!contents) {
        return E_FAIL;
    }
    contents_ = std::move(*contents);
    return S_OK;
}
