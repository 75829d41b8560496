// Owning automation string: freed with SysFreeString when it goes out of scope.
#pragma once

#include "platform_api.h"

class UniqueBstr {
  public:
    UniqueBstr() = default;
    // Takes ownership of text, which may be null (a failed SysAllocString).
    explicit UniqueBstr(BSTR text) : text_(text) {}
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    ~UniqueBstr() {
        if (text_ != nullptr) {
            SysFreeString(text_);
        }
    }

    BSTR Get() const { return text_; }
    explicit operator bool() const { return text_ != nullptr; }

  private:
    BSTR text_ = nullptr;
};
