#include "emulated/registry/registry_handles.h"

namespace {

std::optional<Hive> PredefinedHive(HKEY handle) {
    if (handle == HKEY_CURRENT_USER) {
        return Hive::CurrentUser;
    }
    if (handle == HKEY_LOCAL_MACHINE) {
        return Hive::LocalMachine;
    }
    return std::nullopt;
}

}  // namespace

HKEY RegistryHandles::Open(OpenKey key) {
    std::lock_guard guard(mutex_);
    std::uintptr_t value = next_;
    next_ += 4;
    keys_.emplace(value, std::move(key));
    return reinterpret_cast<HKEY>(value);
}

std::optional<OpenKey> RegistryHandles::Resolve(HKEY handle) const {
    if (std::optional<Hive> hive = PredefinedHive(handle)) {
        return OpenKey{*hive, {}};
    }
    std::lock_guard guard(mutex_);
    auto it = keys_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == keys_.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool RegistryHandles::Close(HKEY handle) {
    if (PredefinedHive(handle)) {
        return true;
    }
    std::lock_guard guard(mutex_);
    return keys_.erase(reinterpret_cast<std::uintptr_t>(handle)) == 1;
}

std::size_t RegistryHandles::OpenCount() const {
    std::lock_guard guard(mutex_);
    return keys_.size();
}
