#include "text/case_folding.h"

#include <algorithm>

namespace {

// Upper-case mapping of the Latin-1, Latin Extended-A, Greek and Cyrillic letters, computed
// here rather than taken from towupper, whose answer depends on the locale the program chose.
wchar_t UpperOf(wchar_t c) {
    if (c >= L'a' && c <= L'z') {
        return static_cast<wchar_t>(c - 32);
    }
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F)) {
        return static_cast<wchar_t>(c - 32);
    }
    if (c >= 0x450 && c <= 0x45F) {
        return static_cast<wchar_t>(c - 80);
    }
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
        c != 0x17F) {
        // Pairs: even code upper, odd code lower, except for two runs that pair the other way.
        bool oddIsUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        bool isLower = oddIsUpper ? (c % 2 == 0) : (c % 2 == 1);
        return isLower ? static_cast<wchar_t>(c - 1) : c;
    }
    return c;
}

}  // namespace

wchar_t FoldCase(wchar_t c) {
    return UpperOf(c);
}

std::wstring FoldedText(std::wstring_view text) {
    std::wstring folded(text);
    for (wchar_t& c : folded) {
        c = FoldCase(c);
    }
    return folded;
}

int CompareIgnoringCase(std::wstring_view a, std::wstring_view b) {
    std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] == b[i]) {
            // Most names compared share a long prefix (every game's key is a GUID in braces):
            // equal characters need no folding.
            continue;
        }
        wchar_t ca = FoldCase(a[i]);
        wchar_t cb = FoldCase(b[i]);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && CompareIgnoringCase(a, b) == 0;
}
