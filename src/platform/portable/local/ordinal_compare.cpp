// Comparing texts as the system compares file and registry key names.
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
