#include "host_text.h"

#include <climits>
#include <cwchar>

namespace {

// Undecodable bytes of host names and arguments travel through the program as U+DC80..U+DCFF.
constexpr wchar_t kEscapedByteFirst = 0xDC80;
constexpr wchar_t kEscapedByteLast = 0xDCFF;

void AppendUtf8(char32_t code, std::string& out) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

}  // namespace

std::string WideToHost(std::wstring_view text) {
    std::string narrow;
    narrow.reserve(text.size());
    char buffer[MB_LEN_MAX];
    for (wchar_t c : text) {
        if (c >= kEscapedByteFirst && c <= kEscapedByteLast) {
            narrow.push_back(static_cast<char>(c - 0xDC00));
            continue;
        }
        std::mbstate_t state{};
        std::size_t used = std::wcrtomb(buffer, c, &state);
        if (used == static_cast<std::size_t>(-1)) {
            // The locale cannot encode it (the "C" locale has only ASCII): a distinct name beats
            // a "?" that would make different names collide.
            AppendUtf8(static_cast<char32_t>(c) > 0x10FFFF ? 0xFFFD : static_cast<char32_t>(c),
                       narrow);
        } else {
            narrow.append(buffer, used);
        }
    }
    return narrow;
}

std::wstring HostToWide(std::string_view text) {
    std::wstring wide;
    std::mbstate_t state{};
    std::size_t position = 0;
    while (position < text.size()) {
        wchar_t c = 0;
        std::size_t used = std::mbrtowc(&c, text.data() + position, text.size() - position, &state);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2) ||
            used == 0 || (c >= kEscapedByteFirst && c <= kEscapedByteLast)) {
            c = static_cast<wchar_t>(0xDC00 + static_cast<unsigned char>(text[position]));
            used = 1;
            state = std::mbstate_t{};
        }
        wide.push_back(c);
        position += used;
    }
    return wide;
}
