// Owning automation string: freed with SysFreeString when it goes out of scope. A failed
// SysAllocString gives null, which owns nothing.
#pragma once

#include "platform/unique_resource.h"
#include "platform_api.h"

struct BstrTraits {
    using Type = BSTR;
    static Type Invalid() { return nullptr; }
    static void Close(Type text) { SysFreeString(text); }
};

using UniqueBstr = UniqueResource<BstrTraits>;
