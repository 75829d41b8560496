#include "text/host_text.h"

#include <climits>
#include <clocale>
#include <cstring>
#include <cwchar>

#include "text/utf8.h"

namespace {

constexpr wchar_t kEscapedByteFirst = 0xDC80;
constexpr wchar_t kEscapedByteLast = 0xDCFF;
constexpr wchar_t kEscapeBase = 0xDC00;

wchar_t EscapedByte(char byte) {
    return static_cast<wchar_t>(kEscapeBase + static_cast<unsigned char>(byte));
}

bool IsWindowsCharacter(wchar_t c) {
    const auto code = static_cast<char32_t>(c);
    return code <= kLastCodePoint && !IsSurrogate(code);
}

// The character at the start of text in the locale's encoding: its byte count, or 0 when the
// bytes there do not decode to a character that the program can hold.
std::size_t DecodeInLocale(std::string_view text, wchar_t& c) {
    std::mbstate_t state{};
    const std::size_t used = std::mbrtowc(&c, text.data(), text.size(), &state);
    if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
        return 0;
    }
    // glibc decodes the old 5- and 6-byte forms, which no Windows text can hold.
    return IsWindowsCharacter(c) ? (used == 0 ? 1 : used) : 0;
}

std::size_t DecodeAsUtf8(std::string_view text, wchar_t& c) {
    char32_t code = 0;
    const std::size_t used = DecodeUtf8(text, code);
    c = static_cast<wchar_t>(code);
    return used;
}

}  // namespace

bool IsEscapedByte(wchar_t c) {
    return c >= kEscapedByteFirst && c <= kEscapedByteLast;
}

char ByteOfEscape(wchar_t c) {
    return static_cast<char>(c - kEscapeBase);
}

bool HostTextIsUtf8ByDefault() {
    const char* locale = std::setlocale(LC_CTYPE, nullptr);
    return locale != nullptr &&
           (std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0);
}

std::wstring HostToWide(std::string_view text) {
    const bool utf8 = HostTextIsUtf8ByDefault();
    std::wstring wide;
    wide.reserve(text.size());
    while (!text.empty()) {
        wchar_t c = 0;
        std::size_t used = utf8 ? DecodeAsUtf8(text, c) : DecodeInLocale(text, c);
        if (used == 0) {
            c = EscapedByte(text[0]);
            used = 1;
        }
        wide.push_back(c);
        text.remove_prefix(used);
    }
    return wide;
}

std::string WideToHost(std::wstring_view text) {
    std::string narrow;
    narrow.reserve(text.size());
    char buffer[MB_LEN_MAX];
    for (wchar_t c : text) {
        if (IsEscapedByte(c)) {
            narrow.push_back(ByteOfEscape(c));
            continue;
        }
        std::mbstate_t state{};
        const std::size_t used = std::wcrtomb(buffer, c, &state);
        if (used == static_cast<std::size_t>(-1)) {
            const auto code = static_cast<char32_t>(c);
            narrow.append(buffer, EncodeUtf8(code > kLastCodePoint ? 0xFFFD : code, buffer));
        } else {
            narrow.append(buffer, used);
        }
    }
    return narrow;
}
