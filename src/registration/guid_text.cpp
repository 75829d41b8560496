#include "guid_text.h"

#include <cstddef>
#include <cstdint>
#include <cwctype>

#include "platform/hex_digit.h"

namespace {

// The scan follows the wide scanf format "{%8X-%4X-%4X-%2X%2X-%2X%2X%2X%2X%2X%2X}". It is written
// out here so that both C runtimes give the same answer for every input.
struct GuidScanStep {
    wchar_t literalBefore;  // '{' or '-' that must stand right before the number, or 0
    int maxDigits;
};

constexpr GuidScanStep kGuidScanSteps[] = {
    {L'{', 8}, {L'-', 4}, {L'-', 4}, {L'-', 2}, {0, 2}, {L'-', 2},
    {0, 2},    {0, 2},    {0, 2},    {0, 2},    {0, 2},
};
constexpr int kGuidNumberCount = 11;

// Reads one number of at most maxDigits hexadecimal digits after optional white space; false
// when no digit stands there.
bool ScanHexNumber(const wchar_t*& cursor, int maxDigits, std::uint32_t* value) {
    while (*cursor != L'\0' && std::iswspace(static_cast<std::wint_t>(*cursor))) {
        ++cursor;
    }
    std::uint32_t number = 0;
    int digits = 0;
    for (int digit; digits < maxDigits && (digit = HexDigitValue(*cursor)) >= 0; ++digits) {
        number = (number << 4) | static_cast<std::uint32_t>(digit);
        ++cursor;
    }
    *value = number;
    return digits > 0;
}

}  // namespace

HRESULT ParseGuid(const wchar_t* text, GUID* guid) {
    std::uint32_t numbers[kGuidNumberCount] = {};
    int converted = 0;
    const wchar_t* cursor = text;
    if (cursor != nullptr) {
        for (const GuidScanStep& step : kGuidScanSteps) {
            if (step.literalBefore != 0) {
                if (*cursor != step.literalBefore) {
                    break;
                }
                ++cursor;
            }
            if (!ScanHexNumber(cursor, step.maxDigits, &numbers[converted])) {
                break;
            }
            ++converted;
        }
    }
    if (converted != kGuidNumberCount) {
        *guid = GUID_NULL;
        // No system call is made: the text is simply no GUID.
        return E_FAIL;
    }
    guid->Data1 = numbers[0];
    guid->Data2 = static_cast<std::uint16_t>(numbers[1] & 0xFFFF);
    guid->Data3 = static_cast<std::uint16_t>(numbers[2] & 0xFFFF);
    for (int i = 0; i < 8; ++i) {
        guid->Data4[i] = static_cast<std::uint8_t>(numbers[3 + i] & 0xFF);
    }
    return S_OK;
}

bool IsExactBracedGuid(const wchar_t* text) {
    constexpr wchar_t kShape[] = L"{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
    if (text == nullptr) {
        return false;
    }
    // Reading stops at the first character that does not fit, at the latest at the terminator.
    for (std::size_t i = 0; i < CHARS_IN_GUID - 1; ++i) {
        const bool fits = kShape[i] == L'x' ? HexDigitValue(text[i]) >= 0 : text[i] == kShape[i];
        if (!fits) {
            return false;
        }
    }
    return text[CHARS_IN_GUID - 1] == L'\0';
}

bool ParseGameGuid(const wchar_t* text, GUID* guid) {
    return IsExactBracedGuid(text) && SUCCEEDED(ParseGuid(text, guid)) &&
           !IsEqualGUID(*guid, GUID_NULL);
}

std::wstring BracedGuid(const GUID& guid) {
    wchar_t text[CHARS_IN_GUID] = {};
    StringFromGUID2(guid, text, CHARS_IN_GUID);
    return text;
}
