// A folder listing begun by FindFirstFileW, closed with FindClose when it goes out of scope.
#pragma once

#include "platform/unique_resource.h"
#include "platform_api.h"

// A listing that could not begin is INVALID_HANDLE_VALUE, not null.
struct FindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type find) { FindClose(find); }
};

using UniqueFindHandle = UniqueResource<FindHandleTraits>;
