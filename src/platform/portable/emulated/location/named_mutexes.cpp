#include "emulated/location/named_mutexes.h"

#include <fcntl.h>
#include <sys/file.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

#include "emulated/base/win32_codes.h"

namespace {

constexpr std::wstring_view kLocalPrefix = L"Local\\";
constexpr std::wstring_view kGlobalPrefix = L"Global\\";
constexpr char kLockFileExtension[] = ".lock";

bool KeptAsIs(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
           c == L'{' || c == L'}' || c == L'-' || c == L'.';
}

// flock has no time limit of its own: the lock is tried without blocking until it is had or the
// time is up. A short pause keeps the waiting run from taking a core while it waits.
constexpr auto kRetryPause = std::chrono::milliseconds(10);

// 0 once file is locked, EWOULDBLOCK when another holds it for longer than milliseconds, or the
// errno of another failure.
int LockWithin(HostFile& file, DWORD milliseconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        const int failure = file.Lock(LOCK_EX | LOCK_NB);
        if (failure != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            return failure;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            kRetryPause, deadline - std::chrono::steady_clock::now()));
    }
}

}  // namespace

std::string MutexFileName(std::wstring_view name) {
    std::string file = "Local.";
    if (name.substr(0, kGlobalPrefix.size()) == kGlobalPrefix) {
        file = "Global.";
        name.remove_prefix(kGlobalPrefix.size());
    } else if (name.substr(0, kLocalPrefix.size()) == kLocalPrefix) {
        name.remove_prefix(kLocalPrefix.size());
    }
    for (wchar_t c : name) {
        if (KeptAsIs(c)) {
            file += static_cast<char>(c);
        } else {
            char escaped[16];
            std::snprintf(escaped, sizeof escaped, "_%04X", static_cast<unsigned>(c));
            file += escaped;
        }
    }
    return file + kLockFileExtension;
}

HANDLE NamedMutexes::Create(std::wstring_view name, DWORD& error) {
    OpenMutex mutex;
    const int failure = mutex.file.Open(folder_ / MutexFileName(name), O_RDWR | O_CREAT, 0666);
    if (failure != 0) {
        error = static_cast<DWORD>(Win32ErrorFromErrno(failure, ERROR_ACCESS_DENIED));
        return nullptr;
    }
    const std::uintptr_t handle = nextHandle_++;
    open_.emplace(handle, std::move(mutex));
    return reinterpret_cast<HANDLE>(handle);
}

NamedMutexes::OpenMutex* NamedMutexes::Find(HANDLE handle) {
    auto found = open_.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == open_.end() ? nullptr : &found->second;
}

DWORD NamedMutexes::Wait(HANDLE handle, DWORD milliseconds, DWORD& error) {
    OpenMutex* mutex = Find(handle);
    if (mutex == nullptr) {
        error = ERROR_INVALID_HANDLE;
        return WAIT_FAILED;
    }
    // One handle owns its mutex once; a Windows mutex would count a second wait by its owner.
    if (!mutex->owned) {
        const int failure = milliseconds == INFINITE ? mutex->file.Lock(LOCK_EX)
                                                     : LockWithin(mutex->file, milliseconds);
        if (failure == EWOULDBLOCK) {
            return WAIT_TIMEOUT;
        }
        if (failure != 0) {
            error = static_cast<DWORD>(Win32ErrorFromErrno(failure, ERROR_ACCESS_DENIED));
            return WAIT_FAILED;
        }
        mutex->owned = true;
    }
    return WAIT_OBJECT_0;
}

BOOL NamedMutexes::Release(HANDLE handle, DWORD& error) {
    OpenMutex* mutex = Find(handle);
    if (mutex == nullptr || !mutex->owned) {
        error = mutex == nullptr ? ERROR_INVALID_HANDLE : ERROR_NOT_OWNER;
        return FALSE;
    }
    if (int failure = mutex->file.Lock(LOCK_UN); failure != 0) {
        error = static_cast<DWORD>(Win32ErrorFromErrno(failure, ERROR_ACCESS_DENIED));
        return FALSE;
    }
    mutex->owned = false;
    return TRUE;
}

BOOL NamedMutexes::Close(HANDLE handle) {
    return open_.erase(reinterpret_cast<std::uintptr_t>(handle)) == 1 ? TRUE : FALSE;
}
