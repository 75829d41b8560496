// Initialises COM for the calling thread (single-threaded apartment) for one scope, and
// uninitialises it at the end of that scope only if its own initialisation succeeded: a failed
// CoInitialize must not be balanced, or it would undo someone else's initialisation.
#pragma once

#include "platform_api.h"

class ComInitialization {
  public:
    ComInitialization() : result_(CoInitialize(nullptr)) {}
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;
    ~ComInitialization() {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }

  private:
    HRESULT result_;
};
