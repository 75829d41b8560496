#include "handed_out/com_memory.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

namespace {

// The prefix keeps the byte length, and keeps the characters aligned for wchar_t.
struct alignas(wchar_t) BstrHeader {
    std::uint32_t byteLength;
};

}  // namespace

BSTR AllocateBstr(const OLECHAR* text) {
    if (text == nullptr) {
        return nullptr;
    }
    std::size_t length = std::wcslen(text);
    std::size_t bytes = sizeof(BstrHeader) + (length + 1) * sizeof(OLECHAR);
    void* memory = std::malloc(bytes);
    if (memory == nullptr) {
        return nullptr;
    }
    auto* header = new (memory) BstrHeader{static_cast<std::uint32_t>(length * sizeof(OLECHAR))};
    auto* characters = reinterpret_cast<OLECHAR*>(header + 1);
    std::memcpy(characters, text, (length + 1) * sizeof(OLECHAR));
    return characters;
}

void FreeBstr(BSTR text) {
    if (text != nullptr) {
        std::free(reinterpret_cast<BstrHeader*>(text) - 1);
    }
}

void* CoTaskMemAlloc(std::size_t size) {
    return std::malloc(size);
}

void CoTaskMemFree(void* memory) {
    std::free(memory);
}
