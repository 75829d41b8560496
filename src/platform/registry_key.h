// An open registry key, closed when it goes out of scope.
#pragma once

#include "platform/unique_resource.h"
#include "platform_api.h"

struct RegistryKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type key) { RegCloseKey(key); }
};

using RegistryKey = UniqueResource<RegistryKeyTraits>;
