// Which host file a Windows path names, for CreateFileW and GetFileInformationByHandle: a handle
// holds the host's device and inode of the file it was opened on, which stand for Windows' volume
// serial number and file index. Nothing is kept open on the host.
#pragma once

#include <cstdint>
#include <map>

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
    // TRUE, or FALSE for a handle that is not open.
    BOOL Close(HANDLE handle);

    std::size_t OpenCount() const { return open_.size(); }

  private:
    const DriveMapping& drives_;
    std::map<std::uintptr_t, BY_HANDLE_FILE_INFORMATION> open_;
    // Far from the numbers of the other kinds of handle, so that none is taken for another.
    std::uintptr_t nextHandle_ = 0x40000000;
};
