// A small quote-aware splitter: cuts a text into fields at separator characters, keeping
// separators inside a quoted stretch that begins a field.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class FieldSplitter {
  public:
    // separators: each character ends a field. quotes: each character, as the first character
    // of a field, opens a quoted stretch that runs to the next occurrence of the same character
    // (or to the end of the text); separators inside it belong to the field, the two quote
    // characters do not, and what follows the closing quote up to the next separator belongs to
    // the field too. Anywhere else a quote character is an ordinary one. keepEmptyFields: whether
    // an empty field yields an empty string (an empty quoted field is yielded either way).
    FieldSplitter(std::wstring separators, bool keepEmptyFields, std::wstring quotes);

    // Replaces fields by those of text (length characters; text may be null). A separator that
    // is the last character gives no empty field after it.
    void Split(const wchar_t* text, std::size_t length);

    std::vector<std::wstring> fields;

  private:
    static constexpr std::size_t kReservedFields = 10;

    std::wstring separators_;
    std::wstring quotes_;
    bool keepEmptyFields_;
};
