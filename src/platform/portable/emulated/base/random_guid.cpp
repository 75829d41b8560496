#include "emulated/base/random_guid.h"

#include <cstring>
#include <random>

GUID NewRandomGuid() {
    static thread_local std::random_device source;
    std::uint8_t bytes[16];
    for (std::size_t i = 0; i < sizeof bytes; i += 4) {
        std::uint32_t word = source();
        std::memcpy(bytes + i, &word, 4);
    }
    GUID guid;
    std::memcpy(&guid, bytes, sizeof guid);
    guid.Data3 = static_cast<std::uint16_t>((guid.Data3 & 0x0FFF) | 0x4000);
    guid.Data4[0] = static_cast<std::uint8_t>((guid.Data4[0] & 0x3F) | 0x80);
    return guid;
}
