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
    std::size_t start = 0;
    wchar_t openQuote = 0;
    for (std::size_t p = 0; p < length; ++p) {
        const wchar_t c = text[p];
        if (openQuote == 0) {
            // Quotes are tested first, so a character in both sets acts as a quote.
            if (quotes_.find(c) != std::wstring::npos) {
                Emit(text, start, p, false);
                openQuote = c;
                start = p + 1;
            } else if (separators_.find(c) != std::wstring::npos) {
                Emit(text, start, p, false);
                start = p + 1;
            }
        } else if (c == openQuote) {
            Emit(text, start, p, true);
            openQuote = 0;
            start = p + 1;
        }
    }
    if (openQuote == 0 && start < length) {
        Emit(text, start, length, false);
    }
}

void FieldSplitter::Emit(const wchar_t* text, std::size_t from, std::size_t to, bool quoted) {
    if (from < to) {
        fields.emplace_back(text + from, to - from);
    } else if (quoted || keepEmptyFields_) {
        fields.emplace_back();
    }
}
