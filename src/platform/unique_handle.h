// A kernel handle (a token, a mutex), closed when it goes out of scope.
#pragma once

#include "platform_api.h"

class UniqueHandle {
  public:
    UniqueHandle() = default;
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() {
        if (handle_ != nullptr) {
            CloseHandle(handle_);
        }
    }

    HANDLE Get() const { return handle_; }
    HANDLE* Put() { return &handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    HANDLE handle_ = nullptr;
};
