// A kernel handle (a token, a mutex), closed when it goes out of scope.
#pragma once

#include "platform/unique_resource.h"
#include "platform_api.h"

// Tokens and mutexes are null when their call failed (INVALID_HANDLE_VALUE is a file's failure).
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { CloseHandle(handle); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
