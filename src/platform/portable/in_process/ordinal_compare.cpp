// Comparing and mapping texts as the system compares file and registry key names.
#include <cwchar>

#include "platform_api.h"
#include "text/case_folding.h"

namespace {

std::wstring_view TextOf(LPCWSTR text, int count) {
    return count < 0 ? std::wstring_view(text)
                     : std::wstring_view(text, static_cast<size_t>(count));
}

}  // namespace

int CompareStringOrdinal(LPCWSTR a, int countA, LPCWSTR b, int countB, BOOL ignoreCase) {
    if (a == nullptr || b == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::wstring_view left = TextOf(a, countA);
    const std::wstring_view right = TextOf(b, countB);
    const int order = ignoreCase ? CompareIgnoringCase(left, right) : left.compare(right);
    return order < 0 ? CSTR_LESS_THAN : order == 0 ? CSTR_EQUAL : CSTR_GREATER_THAN;
}

int LCMapStringEx(LPCWSTR localeName, DWORD flags, LPCWSTR source, int sourceCount,
                  LPWSTR destination, int destinationCount, LPNLSVERSIONINFO /*versionInformation*/,
                  void* /*reserved*/, LPARAM /*sortHandle*/) {
    if (localeName == nullptr || localeName[0] != L'\0' || flags != LCMAP_UPPERCASE) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (source == nullptr || destinationCount < 0 ||
        (destinationCount > 0 && destination == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // A terminated source is mapped with its terminator, as the system counts it.
    const std::wstring_view text =
        sourceCount < 0 ? std::wstring_view(source, std::wcslen(source) + 1)
                        : std::wstring_view(source, static_cast<size_t>(sourceCount));
    const auto needed = static_cast<int>(text.size());
    if (destinationCount == 0) {
        return needed;
    }
    if (destinationCount < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (const wchar_t c : text) {
        *destination++ = FoldCase(c);
    }
    return needed;
}
