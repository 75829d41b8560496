#include "system_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

SystemLock::SystemLock(const std::filesystem::path& lockFile, Mode mode) {
    descriptor_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor_ < 0) {
        error_ = errno;
        return;
    }
    int operation = mode == Mode::Exclusive ? LOCK_EX : LOCK_SH;
    while (::flock(descriptor_, operation) != 0) {
        if (errno != EINTR) {
            error_ = errno;
            ::close(descriptor_);
            descriptor_ = -1;
            return;
        }
    }
}

SystemLock::~SystemLock() {
    if (descriptor_ >= 0) {
        // Closing the descriptor releases the lock.
        ::close(descriptor_);
    }
}
