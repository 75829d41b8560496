// Name comparison as Windows does it for file and registry key names: without regard to case,
// independent of the program's locale, so that a name found once is always found again. Every
// UTF-16 unit is folded by Windows' upper-case table (upper_case_table.inc): a lower-case letter
// becomes the upper-case letter whose lower case it is, so "\u00ff" and "\u0178" are one letter
// while dotless i, long s, final sigma and sharp s stay letters of their own.
#pragma once

#include <string>
#include <string_view>

// c in upper case; characters above U+FFFF are never folded.
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
