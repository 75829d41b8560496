// Conversion between the host's wide text (one wchar_t per code point) and UTF-16, the form in
// which Windows keeps text in registry values, registry files and shortcut files: the emulated
// system's one codec for it.
#pragma once

#include <string>

// Characters above U+FFFF become surrogate pairs; everything else is copied unit for unit.
std::u16string ToUtf16(std::wstring_view text);
// Surrogate pairs are joined; a lone surrogate is kept as it is, so no unit is lost.
std::wstring FromUtf16(std::u16string_view text);

// The UTF-16LE bytes of text, without byte order mark or terminator.
std::string ToUtf16Le(std::wstring_view text);
// Text from UTF-16LE bytes; an odd last byte is ignored.
std::wstring FromUtf16Le(std::string_view bytes);
