// Which host file a Windows path names, for CreateFileW and GetFileInformationByHandle: a handle
// holds the host's device and inode of the file it was opened on, which stand for Windows' volume
// serial number and file index. Nothing is kept open on the host.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "emulated/files/drive_mapping.h"
#include "platform_api.h"

class FileIdentities {
  public:
    explicit FileIdentities(const DriveMapping& drives) : drives_(drives) {}

    // A handle to the existing file or folder at path (links followed), or INVALID_HANDLE_VALUE
    // with the Win32 error in error (ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND when it does
    // not exist).
    HANDLE Open(LPCWSTR path, DWORD& error);
    // TRUE and the file's information, or FALSE for a handle that is not open.
    BOOL Information(HANDLE handle, BY_HANDLE_FILE_INFORMATION& information) const;
    // The path the handle was opened on, with a "\\?\" prefix; where its last name is a link, the
    // host path the link leads to, on drive Z: (the host's root), as Windows gives the path a
    // link leads to. Null for a handle that is not open.
    const std::wstring* FinalPath(HANDLE handle) const;
    // TRUE, or FALSE for a handle that is not open.
    BOOL Close(HANDLE handle);

    std::size_t OpenCount() const { return open_.size(); }

  private:
    const DriveMapping& drives_;
    struct OpenFile {
        BY_HANDLE_FILE_INFORMATION information;
        std::wstring finalPath;
    };
    std::map<std::uintptr_t, OpenFile> open_;
    // Far from the numbers of the other kinds of handle, so that none is taken for another.
    std::uintptr_t nextHandle_ = 0x40000000;
};
