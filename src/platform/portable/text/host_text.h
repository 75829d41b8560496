// The host's narrow text, as the program meets it in command-line arguments, console output and
// file names: the multibyte encoding of the C library's LC_CTYPE locale, or UTF-8 when that
// locale is "C" or "POSIX" (which name no encoding: containers and build machines often run in
// it while their arguments and file names are UTF-8). A byte that does not decode travels as
// the wide character U+DC00 plus the byte (U+DC80..U+DCFF) and is encoded back as that byte, so
// every argument and name round-trips byte for byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// True when c stands for an undecodable byte, and that byte.
bool IsEscapedByte(wchar_t c);
char ByteOfEscape(wchar_t c);

// True when the locale is "C" or "POSIX", whose text is then taken to be UTF-8.
bool HostTextIsUtf8ByDefault();

// Decodes text; a zero byte is U+0000, a byte that starts no valid character (or one the wide
// text of Windows cannot hold: a surrogate, or a value beyond U+10FFFF) is escaped.
std::wstring HostToWide(std::string_view text);

// Encodes text; escaped bytes become those bytes. A character that the locale cannot encode
// is written in UTF-8 (U+FFFD beyond U+10FFFF): a distinct name beats a "?" that would make
// different names collide.
std::string WideToHost(std::wstring_view text);
