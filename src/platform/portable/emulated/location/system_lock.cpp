#include "emulated/location/system_lock.h"

#include <fcntl.h>
#include <sys/file.h>

SystemLock::SystemLock(const std::filesystem::path& lockFile, Mode mode) {
    error_ = file_.Open(lockFile, O_RDWR | O_CREAT, 0666);
    if (error_ == 0) {
        error_ = file_.Lock(mode == Mode::Exclusive ? LOCK_EX : LOCK_SH);
    }
    if (error_ != 0) {
        file_.Close();
    }
}
