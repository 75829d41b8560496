// The one way a message line is written: items inserted in order into one stream, wide values
// converted just before the line (to the console's code page, or for a diagnostic stream to the
// diagnostic lines' code page), ended by endl (newline and flush).
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

#include "to_narrow.h"

// A stream buffer that takes its lines in UTF-8: a stream writing through one (or a class derived
// from it) gets its wide values in UTF-8 instead of the console's code page, so that a host that
// collects the lines as text of its own (the MSI custom action) keeps every character.
class Utf8LineStreamBuf : public std::streambuf {};

namespace message_line_detail {

// The code page that wide values take in stream's lines.
UINT CodePageOf(const std::ostream& stream);

inline void Insert(std::ostream& stream, const std::wstring& value) {
    stream << ToNarrow(value, CodePageOf(stream));
}
inline void Insert(std::ostream& stream, const wchar_t* value) {
    stream << ToNarrow(value, CodePageOf(stream));
}
template <typename T>
void Insert(std::ostream& stream, const T& value) {
    stream << value;
}

}  // namespace message_line_detail

// Writes one line to stream.
template <typename... Items>
void WriteLine(std::ostream& stream, const Items&... items) {
    (message_line_detail::Insert(stream, items), ...);
    stream << std::endl;
}

// Writes the line to its console stream, then the same line, converted anew, to its diagnostic
// copy (DebugOut for a cout line, DebugErr for a cerr line).
template <typename... Items>
void WriteLineWithCopy(std::ostream& console, std::ostream& copy, const Items&... items) {
    WriteLine(console, items...);
    WriteLine(copy, items...);
}
