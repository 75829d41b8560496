// The host side's one UTF-8 codec: console text in a UTF-8 locale, file names and command-line
// arguments of a host whose locale names no encoding, and the UTF-8 code page.
#pragma once

#include <cstddef>
#include <string_view>

// The highest Unicode code point; values above it have no UTF-8 (or UTF-16) form.
inline constexpr char32_t kLastCodePoint = 0x10FFFF;

// U+D800..U+DFFF: the halves of UTF-16 surrogate pairs, which are no characters on their own.
constexpr bool IsSurrogate(char32_t code) {
    return code >= 0xD800 && code <= 0xDFFF;
}

// The longest UTF-8 form of a code point.
inline constexpr std::size_t kUtf8MaxBytes = 4;

// Writes the 1 to kUtf8MaxBytes bytes of code, which must not exceed kLastCodePoint, to out and
// returns their count. A surrogate code point is encoded like any other, so that a lone one in a
// name stays distinct; callers that need strictly valid UTF-8 replace it first.
std::size_t EncodeUtf8(char32_t code, char* out);

// Decodes the character at the start of bytes into code and returns its byte count (1 to 4);
// 0 when the bytes there are no complete, shortest UTF-8 form of a code point up to
// kLastCodePoint that is not a surrogate. A zero byte is the character U+0000.
std::size_t DecodeUtf8(std::string_view bytes, char32_t& code);
