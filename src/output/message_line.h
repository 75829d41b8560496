// The one way a message line is written: items inserted in order into one stream, wide values
// converted just before the line in the form of that stream's lines (line_value_form.h), ended by
// endl (newline and flush).
#pragma once

#include <ostream>
#include <string>

#include "debug_streams.h"
#include "line_value_form.h"

namespace message_line_detail {

inline void Insert(std::ostream& stream, const std::wstring& value) {
    stream << LineValue(value, LineValueFormOf(stream));
}
inline void Insert(std::ostream& stream, const wchar_t* value) {
    stream << LineValue(value, LineValueFormOf(stream));
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
