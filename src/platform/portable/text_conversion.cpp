// Wide-to-narrow conversion and case-insensitive comparison under the C library's locale.
#include <cwchar>
#include <cwctype>

#include <climits>
#include <cstring>

#include "platform_api.h"

namespace {

// Undecodable argument bytes travel through the program as U+DC80..U+DCFF (see host main).
constexpr wchar_t kEscapedByteFirst = 0xDC80;
constexpr wchar_t kEscapedByteLast = 0xDCFF;

// Encodes one character into out (at least MB_LEN_MAX bytes); returns the byte count.
std::size_t EncodeOne(UINT codePage, wchar_t c, char* out, bool* usedDefault) {
    if (c >= kEscapedByteFirst && c <= kEscapedByteLast) {
        out[0] = static_cast<char>(c - 0xDC00);
        return 1;
    }
    if (codePage == CP_UTF8) {
        auto u = static_cast<std::uint32_t>(c);
        if (u < 0x80) {
            out[0] = static_cast<char>(u);
            return 1;
        }
        if (u < 0x800) {
            out[0] = static_cast<char>(0xC0 | (u >> 6));
            out[1] = static_cast<char>(0x80 | (u & 0x3F));
            return 2;
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            u = 0xFFFD;
        }
        if (u < 0x10000) {
            out[0] = static_cast<char>(0xE0 | (u >> 12));
            out[1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out[2] = static_cast<char>(0x80 | (u & 0x3F));
            return 3;
        }
        if (u <= 0x10FFFF) {
            out[0] = static_cast<char>(0xF0 | (u >> 18));
            out[1] = static_cast<char>(0x80 | ((u >> 12) & 0x3F));
            out[2] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out[3] = static_cast<char>(0x80 | (u & 0x3F));
            return 4;
        }
        *usedDefault = true;
        out[0] = '?';
        return 1;
    }
    std::mbstate_t state{};
    std::size_t n = std::wcrtomb(out, c, &state);
    if (n == static_cast<std::size_t>(-1)) {
        *usedDefault = true;
        out[0] = '?';
        return 1;
    }
    return n;
}

}  // namespace

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWSTR wide, int wideCount, LPSTR narrow,
                        int narrowSize, LPCSTR /*defaultChar*/, LPBOOL usedDefaultChar) {
    if (wide == nullptr || wideCount == 0 || narrowSize < 0 ||
        (codePage != CP_ACP && codePage != CP_THREAD_ACP && codePage != CP_UTF8)) {
        return 0;
    }
    // A count of -1 means a terminated string whose terminator is converted too.
    std::size_t count = wideCount < 0 ? std::wcslen(wide) + 1 : static_cast<std::size_t>(wideCount);
    bool usedDefault = false;
    std::size_t total = 0;
    char one[MB_LEN_MAX];
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t n = EncodeOne(codePage, wide[i], one, &usedDefault);
        if (total + n > static_cast<std::size_t>(INT_MAX)) {
            return 0;
        }
        if (narrowSize > 0) {
            if (total + n > static_cast<std::size_t>(narrowSize)) {
                return 0;  // ERROR_INSUFFICIENT_BUFFER
            }
            std::memcpy(narrow + total, one, n);
        }
        total += n;
    }
    if (usedDefaultChar != nullptr) {
        *usedDefaultChar = usedDefault ? TRUE : FALSE;
    }
    return static_cast<int>(total);
}

int _wcsicmp(const wchar_t* a, const wchar_t* b) {
    for (;; ++a, ++b) {
        auto ca = static_cast<std::wint_t>(std::towlower(static_cast<std::wint_t>(*a)));
        auto cb = static_cast<std::wint_t>(std::towlower(static_cast<std::wint_t>(*b)));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
        if (ca == 0) {
            return 0;
        }
    }
}
