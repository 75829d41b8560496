#include "text/case_folding.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

// Characters first, first + stride, ... last fold to themselves plus delta.
struct UpperCaseRun {
    std::uint16_t first;
    std::uint16_t last;
    std::uint8_t stride;
    std::int32_t delta;
};

// Windows' upper-case table, generated from the Unicode data (scripts/make-upper-case-table.py)
// rather than taken from towupper, whose answer depends on the locale the program chose.
constexpr UpperCaseRun kUpperCaseRuns[] = {
#include "text/upper_case_table.inc"
};

constexpr bool RunsAreSortedAndApart() {
    for (std::size_t i = 1; i < std::size(kUpperCaseRuns); ++i) {
        if (kUpperCaseRuns[i].first <= kUpperCaseRuns[i - 1].last) {
            return false;
        }
    }
    return true;
}
static_assert(RunsAreSortedAndApart(), "the runs are searched by their first character");

wchar_t UpperOf(wchar_t c) {
    const auto code = static_cast<std::uint32_t>(c);
    if (code < 0x80) {
        return code >= 'a' && code <= 'z' ? static_cast<wchar_t>(code - 32) : c;
    }
    // Only single UTF-16 units fold: characters beyond them (above U+FFFF) never do.
    if (code > 0xFFFF) {
        return c;
    }
    // The last run that starts at or before c.
    const auto after = std::upper_bound(
        std::begin(kUpperCaseRuns), std::end(kUpperCaseRuns), code,
        [](std::uint32_t value, const UpperCaseRun& run) { return value < run.first; });
    if (after == std::begin(kUpperCaseRuns)) {
        return c;
    }
    const UpperCaseRun& run = *(after - 1);
    if (code > run.last || (code - run.first) % run.stride != 0) {
        return c;
    }
    return static_cast<wchar_t>(static_cast<std::int32_t>(code) + run.delta);
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
