// A small quote-aware splitter: cuts a text into fields at separator characters, keeping
// separators inside quoted stretches.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class FieldSplitter {
  public:
    // separators: each character ends a field. quotes: each character opens a quoted field that
    // only the same character closes. keepEmptyFields: whether an empty stretch between two
    // boundaries yields an empty field (an empty quoted field is yielded either way).
    FieldSplitter(std::wstring separators, bool keepEmptyFields, std::wstring quotes);

    // Replaces fields by those of text (length characters; text may be null). Text after a quote
    // that is never closed is dropped.
    void Split(const wchar_t* text, std::size_t length);

    std::vector<std::wstring> fields;

  private:
    static constexpr std::size_t kReservedFields = 10;

    void Emit(const wchar_t* text, std::size_t from, std::size_t to, bool quoted);

    std::wstring separators_;
    std::wstring quotes_;
    bool keepEmptyFields_;
};
