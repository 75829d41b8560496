// The lock that serialises changes to the emulated system between processes: a whole-file lock
// on <system>/lock, held from loading a registry file to writing it back, so that two runs at
// once each see the other's finished changes and lose none.
#pragma once

#include <filesystem>

#include "emulated/host/host_files.h"

class SystemLock {
  public:
    enum class Mode { Shared, Exclusive };

    // Waits for the lock; Error() tells whether it was taken.
    SystemLock(const std::filesystem::path& lockFile, Mode mode);
    SystemLock(const SystemLock&) = delete;
    SystemLock& operator=(const SystemLock&) = delete;

    // 0 when the lock is held, else the errno of opening or locking the file.
    int Error() const { return error_; }

  private:
    HostFile file_;  // closing it releases the lock
    int error_ = 0;
};
