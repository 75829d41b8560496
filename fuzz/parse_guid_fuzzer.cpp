// ParseGuid against a plain restatement of its scan rules: "{" first, "-" exactly where the
// format has them, white space skipped before each of the 11 numbers, each number 1 to 8, 4, 4,
// 2 ... 2 hexadecimal digits, anything after the eleventh number ignored. Also: a failure always
// leaves GUID_NULL, and the braced form of a parsed GUID parses back to the same GUID.
#include <clocale>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform_api.h"
#include "registration/guid_text.h"

namespace {

struct ReferenceNumber {
    wchar_t literalBefore;
    int maxDigits;
};

constexpr ReferenceNumber kNumbers[11] = {
    {L'{', 8}, {L'-', 4}, {L'-', 4}, {L'-', 2}, {0, 2}, {L'-', 2},
    {0, 2},    {0, 2},    {0, 2},    {0, 2},    {0, 2},
};

int HexValue(wchar_t c) {
    const wchar_t* digits = L"0123456789abcdef";
    const wchar_t lower = (c >= L'A' && c <= L'F') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    for (int i = 0; i < 16; ++i) {
        if (digits[i] == lower) {
            return i;
        }
    }
    return -1;
}

// The GUID the rules give for text (read up to its first terminator), or false.
bool ReferenceParse(const std::wstring& whole, GUID* guid) {
    const std::wstring text = whole.substr(0, std::wcslen(whole.c_str()));
    std::uint32_t values[11] = {};
    std::size_t at = 0;
    for (int n = 0; n < 11; ++n) {
        if (kNumbers[n].literalBefore != 0) {
            if (at >= text.size() || text[at] != kNumbers[n].literalBefore) {
                return false;
            }
            ++at;
        }
        while (at < text.size() && std::iswspace(static_cast<std::wint_t>(text[at]))) {
            ++at;
        }
        int digits = 0;
        while (digits < kNumbers[n].maxDigits && at < text.size() && HexValue(text[at]) >= 0) {
            values[n] = values[n] * 16 + static_cast<std::uint32_t>(HexValue(text[at]));
            ++digits;
            ++at;
        }
        if (digits == 0) {
            return false;
        }
    }
    guid->Data1 = values[0];
    guid->Data2 = static_cast<std::uint16_t>(values[1]);
    guid->Data3 = static_cast<std::uint16_t>(values[2]);
    for (int i = 0; i < 8; ++i) {
        guid->Data4[i] = static_cast<std::uint8_t>(values[3 + i]);
    }
    return true;
}

bool SameBytes(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // White space beyond ASCII only exists in a Unicode locale.
    static const bool localeSet = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    (void)localeSet;

    const std::wstring text =
        FuzzInput::Widen(std::string(reinterpret_cast<const char*>(data), size));

    GUID parsed;
    std::memset(&parsed, 0xAB, sizeof parsed);  // the result must not depend on what was there
    const HRESULT result = ParseGuid(text.c_str(), &parsed);

    GUID expected = GUID_NULL;
    const bool expectedOk = ReferenceParse(text, &expected);
    FUZZ_CHECK(result == (expectedOk ? S_OK : E_FAIL));
    FUZZ_CHECK(SameBytes(parsed, expected));

    if (expectedOk) {
        wchar_t braced[CHARS_IN_GUID];
        FUZZ_CHECK(StringFromGUID2(parsed, braced, CHARS_IN_GUID) == CHARS_IN_GUID);
        GUID again;
        FUZZ_CHECK(ParseGuid(braced, &again) == S_OK);
        FUZZ_CHECK(SameBytes(again, parsed));
    }
    return 0;
}
