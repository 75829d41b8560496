#include "folder_entries.h"

#include <cwchar>
#include <string_view>

#include "folder_paths.h"
#include "format_wide.h"
#include "platform/owners.h"
#include "platform/win32_failure.h"

namespace {

constexpr wchar_t kEveryEntryFormat[] = L"%s\\*";

}  // namespace

HRESULT ListFolderEntries(const wchar_t* folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    wchar_t pattern[kTaskPathCapacity];
    if (const HRESULT hr = FormatWide(pattern, kTaskPathCapacity, kEveryEntryFormat, folder);
        FAILED(hr)) {
        return hr;
    }
    WIN32_FIND_DATAW data = {};
    const UniqueFindHandle find(FindFirstFileW(pattern, &data));
    if (!find) {
        const DWORD error = GetLastError();
        return IsMissingPathError(error) ? S_OK : HResultFromWin32Error(error);
    }
    do {
        // The system terminates the name; the bound only keeps a faulty one from running on.
        const std::wstring_view name(data.cFileName, wcsnlen(data.cFileName, MAX_PATH));
        if (name != L"." && name != L"..") {
            entries.push_back({std::wstring(name), data.dwFileAttributes});
        }
    } while (FindNextFileW(find.Get(), &data));
    const DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES ? S_OK : HResultFromWin32Error(error);
}
