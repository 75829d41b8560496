// Listing a folder of the emulated drives: FindFirstFileW, FindNextFileW and FindClose.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "emulated/files/drive_mapping.h"
#include "platform_api.h"

class FolderListings {
  public:
    explicit FolderListings(const DriveMapping& drives) : drives_(drives) {}

    // FindFirstFileW. The folder is read whole now; the entries come in the order of their
    // case-folded names after "." and "..", so that a folder lists the same way on every host.
    // The last name of pattern matches names without regard to case, "*" standing for any run of
    // characters and "?" for one (never a short name, which the emulated drives make only on
    // request). An entry under the escaped host name of a very long name is listed under the
    // Windows name the system keeps for it; one whose host name no Windows name could be (an
    // escaped name the system did not make, or a host name with a character Windows refuses) is
    // left out, since no Windows path reaches it, and so are the system's own unfinished
    // temporary files (atomic_file.h). A host symbolic link is listed as a reparse point, with
    // FILE_ATTRIBUTE_DIRECTORY when it points at a folder. INVALID_HANDLE_VALUE with the Win32
    // error in error: ERROR_PATH_NOT_FOUND when the folder does not exist, ERROR_FILE_NOT_FOUND
    // when nothing matches (or the pattern names no entry), ERROR_ACCESS_DENIED when the folder
    // cannot be read.
    HANDLE First(LPCWSTR pattern, WIN32_FIND_DATAW& data, DWORD& error);
    // FindNextFileW: TRUE, or FALSE with ERROR_NO_MORE_FILES or ERROR_INVALID_HANDLE in error.
    BOOL Next(HANDLE find, WIN32_FIND_DATAW& data, DWORD& error);
    // FindClose: TRUE, or FALSE for a listing that is not open.
    BOOL Close(HANDLE find);

    // Listings begun and not yet closed.
    std::size_t OpenCount() const { return open_.size(); }

  private:
    struct Listing {
        std::vector<WIN32_FIND_DATAW> entries;
        std::size_t next = 0;
    };

    const DriveMapping& drives_;
    std::map<std::uintptr_t, Listing> open_;
    std::uintptr_t nextHandle_ = 0x6000;
};
