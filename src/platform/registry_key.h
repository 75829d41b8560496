// An open registry key, closed when it goes out of scope.
#pragma once

#include "platform_api.h"

class RegistryKey {
  public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() { Close(); }

    HKEY Get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

    // The address to pass to RegCreateKeyExW; a key still open is closed first.
    HKEY* Put() {
        Close();
        return &key_;
    }

    void Close() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
            key_ = nullptr;
        }
    }

  private:
    HKEY key_ = nullptr;
};
