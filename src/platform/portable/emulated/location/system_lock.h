// The lock that serialises changes to the emulated system between processes: a whole-file lock
// on <system>/lock, held from loading a registry file to writing it back, so that two runs at
// once each see the other's finished changes and lose none.
#pragma once

#include <fcntl.h>
#include <sys/file.h>

#include <filesystem>

#include "emulated/host/host_files.h"

class SystemLock {
  public:
    enum class Mode { Shared, Exclusive };

    // Opens the lock file and waits for the lock; Error() tells whether it was taken. Closing
    // the file when the object goes releases the lock.
    SystemLock(const std::filesystem::path& lockFile, Mode mode) : file_(owned_) {
        error_ = owned_.Open(lockFile, O_RDWR | O_CREAT, 0666);
        if (error_ == 0) {
            Take(mode);
        }
    }
    // Waits for the lock on the lock file that the caller keeps open (the registry takes the
    // lock for every call, thousands in a run); the lock is released when the object goes, and
    // the file closed if that fails.
    SystemLock(HostFile& lockFile, Mode mode) : file_(lockFile) { Take(mode); }
    ~SystemLock() {
        // Should the release fail, closing the file is the other way to release the lock; the
        // caller opens it again for the next call.
        if (error_ == 0 && &file_ != &owned_ && file_.Lock(LOCK_UN) != 0) {
            file_.Close();
        }
    }
    SystemLock(const SystemLock&) = delete;
    SystemLock& operator=(const SystemLock&) = delete;

    // 0 when the lock is held, else the errno of opening or locking the file.
    int Error() const { return error_; }

  private:
    void Take(Mode mode) { error_ = file_.Lock(mode == Mode::Exclusive ? LOCK_EX : LOCK_SH); }

    HostFile owned_;  // the file opened here, if any: closing it releases the lock
    HostFile& file_;
    int error_ = 0;
};
