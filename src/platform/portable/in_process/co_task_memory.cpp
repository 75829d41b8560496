// CoTaskMemAlloc and CoTaskMemFree: the process's heap, which every backend and the caller share.
#include <cstdlib>

#include "platform_api.h"

void* CoTaskMemAlloc(std::size_t size) {
    return std::malloc(size);
}

void CoTaskMemFree(void* memory) {
    std::free(memory);
}
