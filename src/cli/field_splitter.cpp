#include "field_splitter.h"

#include <utility>

FieldSplitter::FieldSplitter(std::wstring separators, bool keepEmptyFields, std::wstring quotes)
    : separators_(std::move(separators)),
      quotes_(std::move(quotes)),
      keepEmptyFields_(keepEmptyFields) {
    fields.reserve(kReservedFields);
}

void FieldSplitter::Split(const wchar_t* text, std::size_t length) {
    fields.clear();
    if (text == nullptr || text[0] == L'\0') {
        return;
    }
    const std::wstring_view line(text, length);
    std::size_t start = 0;
    while (true) {
        std::wstring field;
        bool quoted = false;
        // A quote counts only as the first character of a field, so that an apostrophe inside a
        // name or a folder ("Baldur's Gate") stays an ordinary character.
        if (start < line.size() && quotes_.find(line[start]) != std::wstring::npos) {
            const std::size_t close = line.find(line[start], start + 1);
            // A quote never closed runs to the end of the line: its text is kept, not dropped.
            const std::size_t stretchEnd = close == std::wstring_view::npos ? line.size() : close;
            field.assign(line.substr(start + 1, stretchEnd - start - 1));
            start = close == std::wstring_view::npos ? line.size() : close + 1;
            quoted = true;
        }
        const std::size_t separator = line.find_first_of(separators_, start);
        const std::size_t end = separator == std::wstring_view::npos ? line.size() : separator;
        field.append(line.substr(start, end - start));
        if (!field.empty() || quoted || keepEmptyFields_) {
            fields.push_back(std::move(field));
        }
        // A separator that is the last character ends the line without an empty field after it.
        if (separator == std::wstring_view::npos || separator + 1 == line.size()) {
            return;
        }
        start = separator + 1;
    }
}
