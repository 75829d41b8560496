// A module loaded with LoadLibraryExW, freed when it goes out of scope.
#pragma once

#include "platform_api.h"

class LoadedModule {
  public:
    explicit LoadedModule(HMODULE module) : module_(module) {}
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;
    ~LoadedModule() {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }

    HMODULE Get() const { return module_; }
    explicit operator bool() const { return module_ != nullptr; }

  private:
    HMODULE module_;
};
