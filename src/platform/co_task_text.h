// Text that a COM object allocated for its caller (an Internet shortcut's address), freed with
// CoTaskMemFree when it goes out of scope.
#pragma once

#include "platform/unique_resource.h"
#include "platform_api.h"

struct CoTaskTextTraits {
    using Type = wchar_t*;
    static Type Invalid() { return nullptr; }
    static void Close(Type text) { CoTaskMemFree(text); }
};

using UniqueCoTaskText = UniqueResource<CoTaskTextTraits>;
