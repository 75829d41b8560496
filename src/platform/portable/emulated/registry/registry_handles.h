// The open keys of the emulated registry. An HKEY handed out is an entry of this table; it
// names a key by its hive and path, and the key itself lives in the hive file, so a handle stays
// valid across the changes of other runs (or finds its key deleted, as on Windows).
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "emulated/registry/registry_store.h"
#include "platform_api.h"

struct OpenKey {
    Hive hive;
    std::vector<std::wstring> names;  // the key path below the hive root
};

class RegistryHandles {
  public:
    // A new handle for key.
    HKEY Open(OpenKey key);
    // The key that a handle or a predefined root stands for; none for a handle not open.
    std::optional<OpenKey> Resolve(HKEY handle) const;
    // False for a handle that is not open. Predefined roots are never closed.
    bool Close(HKEY handle);
    std::size_t OpenCount() const;

  private:
    mutable std::mutex mutex_;
    std::map<std::uintptr_t, OpenKey> keys_;
    // Multiples of four from here on, like Windows handles, and far from the predefined roots.
    std::uintptr_t next_ = 0x1000;
};
