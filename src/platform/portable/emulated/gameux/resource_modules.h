// Image files loaded as data files, for their resources only (LoadLibraryExW with
// LOAD_LIBRARY_AS_DATAFILE): the loader's answers about a game's binary, from the same PE reader
// that Game Explorer reads the game definition with. A module handle names the file, which is
// read again through the file layer when a resource is looked for.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <vector>

#include "emulated/files/drive_mapping.h"
#include "platform_api.h"

class ResourceModules {
  public:
    explicit ResourceModules(const DriveMapping& drives) : drives_(drives) {}

    // LoadLibraryExW: a new handle, or null with the reason set by SetLastError:
    // MissingPathError for a file that does not exist, ERROR_ACCESS_DENIED for a folder,
    // ERROR_BAD_EXE_FORMAT for a file that is no PE image, or the failure to read it.
    HMODULE Load(LPCWSTR path);
    // FindResourceW for a resource named by texts: a handle for SizeOf, or null with the reason
    // set by SetLastError (ResourceLookup's error, or ERROR_INVALID_HANDLE for a module that is
    // not loaded).
    HRSRC Find(HMODULE module, LPCWSTR name, LPCWSTR type);
    // SizeofResource: the size the resource's data entry claims, or 0 with ERROR_INVALID_HANDLE
    // for a module that is not loaded or a resource that Find did not give for it.
    DWORD SizeOf(HMODULE module, HRSRC resource) const;
    // FreeLibrary: FALSE, with ERROR_INVALID_HANDLE, for a module that is not loaded.
    BOOL Free(HMODULE module);

  private:
    const DriveMapping& drives_;
    mutable std::mutex mutex_;
    struct Module {
        std::filesystem::path hostPath;
        // The claimed sizes of the resources found in it, in the order of their handles.
        std::vector<std::uint32_t> resourceSizes;
    };
    std::map<std::uintptr_t, Module> modules_;
    // Like a module's base address: far from zero and aligned, so never mistaken for a number.
    std::uintptr_t next_ = 0x10000;
};
