// Windows' named mutexes for the emulated system's runs. Each name is a whole-file lock on a file
// beside the registry, so that runs of the program, each a process of its own, wait for one
// another as the processes of one machine wait for a named mutex on Windows. A lock file stays
// when its mutex is closed: removing it could let a waiting run lock a file nobody else sees.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string_view>

#include "emulated/host/host_files.h"
#include "platform_api.h"

class NamedMutexes {
  public:
    // Mutexes whose lock files lie in folder.
    explicit NamedMutexes(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // A handle to the mutex, or null with the Win32 error in error. "Local\" and "Global\"
    // name separate mutexes, as they do for one user on Windows; no name is the local one.
    HANDLE Create(std::wstring_view name, DWORD& error);
    // WAIT_OBJECT_0 once the handle owns the mutex (waiting at most milliseconds, or without a
    // limit for INFINITE, for another owner to release it), WAIT_TIMEOUT when the time ran out,
    // or WAIT_FAILED with the Win32 error in error.
    DWORD Wait(HANDLE handle, DWORD milliseconds, DWORD& error);
    // TRUE, or FALSE with ERROR_NOT_OWNER or ERROR_INVALID_HANDLE in error.
    BOOL Release(HANDLE handle, DWORD& error);
    // TRUE, or FALSE for a handle that is not open; closing releases the mutex it owns.
    BOOL Close(HANDLE handle);

  private:
    struct OpenMutex {
        HostFile file;
        bool owned = false;
    };

    OpenMutex* Find(HANDLE handle);

    std::filesystem::path folder_;
    std::map<std::uintptr_t, OpenMutex> open_;
    std::uintptr_t nextHandle_ = 0x4000;
};

// The lock file's name for a mutex name: its namespace ("Local" or "Global"), a dot, and the
// rest with every character but letters, digits and "{}-." written as _XXXX (hexadecimal), so
// that distinct names keep distinct files and none leaves the folder.
std::string MutexFileName(std::wstring_view name);
