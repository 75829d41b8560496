// The shell's folder and file functions on the emulated drives, with the results Windows gives.
#pragma once

#include <filesystem>

#include "emulated/files/drive_mapping.h"
#include "platform_api.h"

// The error Windows gives for a host path that does not exist: ERROR_FILE_NOT_FOUND when its
// folder exists, ERROR_PATH_NOT_FOUND when the folder is missing too.
LONG MissingPathError(const std::filesystem::path& hostPath);

class EmulatedFiles {
  public:
    explicit EmulatedFiles(const DriveMapping& drives);

    // SHCreateDirectoryExW: creates the folder and every missing folder above it.
    // ERROR_SUCCESS, ERROR_ALREADY_EXISTS when it is there already, ERROR_BAD_PATHNAME for a
    // relative path, ERROR_FILENAME_EXCED_RANGE when too long, or the failure.
    int CreateFolder(LPCWSTR path) const;

    // SHFileOperationW: FO_DELETE removes each file or folder of the list with everything in it.
    // 0, ERROR_FILE_NOT_FOUND when one of them does not exist (nothing is removed then),
    // ERROR_ACCESS_DENIED for a drive root, a folder on the way that cannot be read or a failed
    // removal, ERROR_INVALID_PARAMETER for an empty list or any other operation, which the
    // emulated system does not provide.
    int Operate(SHFILEOPSTRUCTW& operation) const;

    // GetFileAttributesW (host_file_facts.h); INVALID_FILE_ATTRIBUTES when it cannot be had, with
    // the reason set for GetLastError (MissingPathError when it does not exist).
    DWORD Attributes(LPCWSTR path) const;

    // GetFullPathNameW: characters written without the terminator, the size needed with it when
    // bufferLength is too short (buffer untouched), 0 when the path cannot be made full.
    DWORD FullPathName(LPCWSTR path, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart) const;

    // GetLongPathNameW: path with each name that is an entry's short name replaced by the entry's
    // own name, everything else as written. The length written, or the size needed with the
    // terminator; 0 when a name on the way does not exist, with the reason for GetLastError.
    DWORD LongPathName(LPCWSTR path, DWORD bufferLength, LPWSTR buffer) const;

  private:
    const DriveMapping& drives_;
};
