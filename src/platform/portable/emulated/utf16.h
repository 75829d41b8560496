// Conversion between the host's wide text (one wchar_t per code point) and UTF-16, the form in
// which Windows keeps text in registry files and shortcut files.
#pragma once

#include <string>

// Characters above U+FFFF become surrogate pairs; everything else is copied unit for unit.
std::u16string ToUtf16(std::wstring_view text);
// Surrogate pairs are joined; a lone surrogate is kept as it is, so no unit is lost.
std::wstring FromUtf16(std::u16string_view text);
