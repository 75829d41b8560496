// Bounded printf-style formatting of wide text into a caller's fixed buffer. Supports exactly %s
// (a terminated wide string), %d (a signed 32-bit integer) and %%; any other directive is a
// formatting failure. Allocates nothing.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "platform_api.h"

// The largest capacity accepted; anything larger is refused as an invalid argument.
inline constexpr std::size_t kFormatWideMaxCapacity = 0x7FFFFFFF;
// HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER): the text did not fit, or formatting failed.
inline constexpr HRESULT kFormatWideTruncated = static_cast<HRESULT>(0x8007007A);

// Formats into destination (capacity wide characters, terminator included). S_OK when the whole
// text is there; kFormatWideTruncated when it was cut (the destination then holds a terminated
// prefix of it); E_INVALIDARG for a capacity of 0 or above the maximum (destination untouched).
HRESULT FormatWide(wchar_t* destination, std::size_t capacity, const wchar_t* format, ...);

// The same with an argument list; called by FormatWide.
HRESULT FormatWideV(wchar_t* destination, std::size_t capacity, const wchar_t* format,
                    va_list arguments);
