// Name comparison as Windows does it for file and registry key names: without regard to case,
// independent of the program's locale, so that a name found once is always found again.
#pragma once

#include <string>
#include <string_view>

wchar_t FoldCase(wchar_t c);
// The text with every character folded: two names are equal ignoring case when these are equal.
std::wstring FoldedText(std::wstring_view text);
bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b);
// <0, 0 or >0, ordering names as case-folded texts.
int CompareIgnoringCase(std::wstring_view a, std::wstring_view b);

struct LessIgnoringCase {
    using is_transparent = void;
    bool operator()(std::wstring_view a, std::wstring_view b) const {
        return CompareIgnoringCase(a, b) < 0;
    }
};
