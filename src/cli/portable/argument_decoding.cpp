#include "argument_decoding.h"

#include <cstdint>
#include <cstring>
#include <cwchar>

std::wstring DecodeArgument(const char* text) {
    std::wstring wide;
    std::size_t remaining = std::strlen(text);
    std::mbstate_t state{};
    while (remaining > 0) {
        wchar_t c = 0;
        std::size_t used = std::mbrtowc(&c, text, remaining, &state);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2) ||
            (c >= 0xD800 && c <= 0xDFFF) || static_cast<std::uint32_t>(c) > 0x10FFFF) {
            // Invalid, cut short, or no Unicode character (glibc decodes the old 5- and 6-byte
            // forms, which no Windows text can hold): keep this one byte, start afresh after it.
            c = static_cast<wchar_t>(0xDC00 + static_cast<unsigned char>(*text));
            used = 1;
            state = std::mbstate_t{};
        }
        wide.push_back(c);
        text += used;
        remaining -= used;
    }
    return wide;
}
