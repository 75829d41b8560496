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

    // DeleteFileW: removes a file, or a link (a host symbolic link) itself. FALSE with the reason
    // set for GetLastError: ERROR_INVALID_PARAMETER for a null path, MissingPathError when it
    // does not exist, ERROR_ACCESS_DENIED for a folder or a drive root, or the host's failure.
    BOOL DeleteFileW(LPCWSTR fileName) const;

    // RemoveDirectoryW: removes an empty folder (the emulated system's own unfinished temporary
    // files, which a listing never shows, go with it), or a link to a folder itself. FALSE with
    // the reason set for GetLastError: ERROR_INVALID_PARAMETER for a null path, MissingPathError
    // when it does not exist, ERROR_DIRECTORY for a file, ERROR_DIR_NOT_EMPTY for a folder that
    // holds entries, ERROR_ACCESS_DENIED for a drive root, or the host's failure.
    BOOL RemoveDirectoryW(LPCWSTR pathName) const;

    // GetFileAttributesW: the entry's own attributes (EntryFactsOf, host_file_facts.h), so a link
    // is a reparse point; INVALID_FILE_ATTRIBUTES when they cannot be had, with the reason set for
    // GetLastError (MissingPathError when it does not exist).
    DWORD Attributes(LPCWSTR path) const;

    // GetFullPathNameW: characters written without the terminator, the size needed with it when
    // bufferLength is too short (buffer untouched), 0 when the path cannot be made full.
    DWORD FullPathName(LPCWSTR path, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart) const;

    // GetLongPathNameW: path with each name that is an entry's short name replaced by the entry's
    // own name, everything else as written. The length written, or the size needed with the
    // terminator; 0 when a name on the way does not exist, with the reason for GetLastError.
    DWORD LongPathName(LPCWSTR path, DWORD bufferLength, LPWSTR buffer) const;

  private:
    // The host path of an existing entry that may be removed with its facts, or FALSE with the
    // reason set for GetLastError.
    BOOL FindRemovable(LPCWSTR path, std::filesystem::path& hostPath, DWORD& attributes) const;

    const DriveMapping& drives_;
};
