#include "task_entry_kind.h"

#include "folder_paths.h"
#include "output/program_error_messages.h"
#include "platform/owners.h"
#include "platform/win32_failure.h"
#include "task_tree_names.h"

namespace {

// S_OK and what path names, Missing when it or a folder on the way does not exist; otherwise the
// reason why that cannot be told.
HRESULT LookAtTaskEntry(const std::wstring& path, TaskEntryKind& kind) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        kind = TaskEntryKindOf(attributes);
        return S_OK;
    }
    const DWORD error = GetLastError();
    // Anything else (access denied, a broken path) may hide a link or tasks.
    if (IsMissingPathError(error)) {
        kind = TaskEntryKind::Missing;
        return S_OK;
    }
    return HResultFromWin32Error(error);
}

}  // namespace

TaskEntryKind TaskEntryKindOf(DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return TaskEntryKind::Link;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? TaskEntryKind::PlainFolder
                                                        : TaskEntryKind::PlainFile;
}

HRESULT FindChainBreak(const std::vector<std::wstring>& chain, ChainBreak& found) {
    for (std::size_t at = 0; at < chain.size(); ++at) {
        TaskEntryKind kind = TaskEntryKind::Missing;
        if (const HRESULT hr = LookAtTaskEntry(chain[at], kind); FAILED(hr)) {
            return hr;
        }
        if (kind != TaskEntryKind::PlainFolder) {
            found = {at, kind};
            return S_OK;
        }
    }
    found = {chain.size(), TaskEntryKind::PlainFolder};
    return S_OK;
}

HRESULT FinalPathOf(const std::wstring& path, std::wstring& finalPath) {
    const UniqueFileHandle file = OpenToAsk(path);
    if (!file) {
        return LastErrorResult();
    }
    return PathCallText(
        [&](wchar_t* buffer, DWORD capacity) {
            return GetFinalPathNameByHandleW(file.Get(), buffer, capacity,
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        },
        finalPath);
}

HRESULT CheckFileIsItsFolders(const std::wstring& finalFolder, const std::wstring& folder,
                              const std::wstring& name) {
    std::wstring finalFile;
    if (const HRESULT hr = FinalPathOf(folder + L"\\" + name, finalFile); FAILED(hr)) {
        return hr;
    }
    return EqualIgnoringCase(finalFile, finalFolder + L"\\" + name)
               ? S_OK
               : kTaskFolderHoldsLinkOrForeignEntry;
}
