#include "emulated/gameux/resource_modules.h"

#include <fcntl.h>

#include <cerrno>
#include <istream>

#include "emulated/base/utf16.h"
#include "emulated/base/win32_codes.h"
#include "emulated/files/emulated_files.h"
#include "emulated/gameux/pe_resources.h"
#include "emulated/host/host_file_facts.h"
#include "emulated/host/host_file_stream.h"

namespace {

constexpr std::uintptr_t kModuleAlignment = 0x10000;
// A resource's handle lies inside its module's range, as it points into the mapped image on
// Windows: the module's handle plus a step per resource found. More finds in one module than
// the range holds are refused.
constexpr std::uintptr_t kResourceStep = 0x10;
constexpr std::size_t kMaxResourceHandles = kModuleAlignment / kResourceStep - 1;

// The Win32 error for a file that cannot be opened or read as an image, ERROR_SUCCESS when it
// can; what the loader would say for a folder or a missing file.
LONG OpenImage(const std::filesystem::path& hostPath, HostFile& file) {
    const HostFileFacts facts = FactsOf(hostPath);
    if (facts.attributes == INVALID_FILE_ATTRIBUTES) {
        return facts.error == ENOENT ? MissingPathError(hostPath)
                                     : Win32ErrorFromErrno(facts.error, ERROR_ACCESS_DENIED);
    }
    if ((facts.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    return Win32ErrorFromErrno(file.Open(hostPath, O_RDONLY), ERROR_ACCESS_DENIED);
}

}  // namespace

HMODULE ResourceModules::Load(LPCWSTR path) {
    const DriveMapping::HostPath host = drives_.ToHost(path);
    HostFile file;
    LONG error = host.error != ERROR_SUCCESS ? host.error : OpenImage(host.path, file);
    if (error == ERROR_SUCCESS) {
        HostFileStreamBuf buffer(file);
        std::istream image(&buffer);
        error = CheckImage(image);
    }
    if (error != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(error));
        return nullptr;
    }
    const std::lock_guard lock(mutex_);
    const std::uintptr_t handle = next_;
    next_ += kModuleAlignment;
    modules_.emplace(handle, Module{host.path, {}});
    return reinterpret_cast<HMODULE>(handle);
}

HRSRC ResourceModules::Find(HMODULE module, LPCWSTR name, LPCWSTR type) {
    std::filesystem::path hostPath;
    {
        const std::lock_guard lock(mutex_);
        const auto found = modules_.find(reinterpret_cast<std::uintptr_t>(module));
        if (found == modules_.end()) {
            SetLastError(static_cast<DWORD>(ERROR_INVALID_HANDLE));
            return nullptr;
        }
        hostPath = found->second.hostPath;
    }
    HostFile file;
    LONG error = Win32ErrorFromErrno(file.Open(hostPath, O_RDONLY), ERROR_ACCESS_DENIED);
    std::uint32_t claimedSize = 0;
    if (error == ERROR_SUCCESS) {
        HostFileStreamBuf buffer(file);
        std::istream image(&buffer);
        // Only whether it is there and what it claims: its bytes are not read.
        const ResourceLookup lookup = FindNamedResource(image, ToUtf16(type), ToUtf16(name), 0);
        error = lookup.error;
        claimedSize = lookup.claimedSize;
    }
    const std::lock_guard lock(mutex_);
    const auto found = modules_.find(reinterpret_cast<std::uintptr_t>(module));
    if (error == ERROR_SUCCESS &&
        (found == modules_.end() || found->second.resourceSizes.size() >= kMaxResourceHandles)) {
        error = found == modules_.end() ? ERROR_INVALID_HANDLE : ERROR_NOT_ENOUGH_MEMORY;
    }
    if (error != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(error));
        return nullptr;
    }
    std::vector<std::uint32_t>& sizes = found->second.resourceSizes;
    sizes.push_back(claimedSize);
    return reinterpret_cast<HRSRC>(found->first + sizes.size() * kResourceStep);
}

DWORD ResourceModules::SizeOf(HMODULE module, HRSRC resource) const {
    const std::lock_guard lock(mutex_);
    const auto found = modules_.find(reinterpret_cast<std::uintptr_t>(module));
    const auto offset =
        reinterpret_cast<std::uintptr_t>(resource) - reinterpret_cast<std::uintptr_t>(module);
    if (found == modules_.end() || offset == 0 || offset % kResourceStep != 0 ||
        offset / kResourceStep > found->second.resourceSizes.size()) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_HANDLE));
        return 0;
    }
    return found->second.resourceSizes[offset / kResourceStep - 1];
}

BOOL ResourceModules::Free(HMODULE module) {
    const std::lock_guard lock(mutex_);
    if (modules_.erase(reinterpret_cast<std::uintptr_t>(module)) == 0) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_HANDLE));
        return FALSE;
    }
    return TRUE;
}
