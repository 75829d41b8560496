// Owning pointer to a COM interface: released when it goes out of scope.
#pragma once

#include "platform/unique_resource.h"
#include "platform_api.h"

template <typename Interface>
struct ComInterfaceTraits {
    using Type = Interface*;
    static Type Invalid() { return nullptr; }
    static void Close(Type pointer) { pointer->Release(); }
};

template <typename Interface>
using ComPtr = UniqueResource<ComInterfaceTraits<Interface>>;
