#include "argument_decoding.h"

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
            (c >= 0xDC80 && c <= 0xDCFF)) {
            // Invalid or cut short: keep this one byte and start afresh after it.
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
