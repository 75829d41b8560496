// Wide-to-narrow conversion and case-insensitive comparison under the C library's locale.
#include <cwchar>
#include <cwctype>

#include <climits>
#include <cstring>

#include "platform_api.h"
#include "text/host_text.h"
#include "text/utf8.h"

namespace {

static_assert(MB_LEN_MAX >= kUtf8MaxBytes);

// What takes the place of a character that the code page cannot represent.
constexpr char kDefaultCharacter = '?';

std::size_t UseDefault(char* out, bool* usedDefault) {
    *usedDefault = true;
    out[0] = kDefaultCharacter;
    return 1;
}

// Encodes one character into out (at least MB_LEN_MAX bytes); returns the byte count.
std::size_t EncodeOne(bool utf8, wchar_t c, char* out, bool* usedDefault) {
    if (IsEscapedByte(c)) {
        out[0] = ByteOfEscape(c);
        return 1;
    }
    const auto code = static_cast<char32_t>(c);
    if (utf8) {
        if (code > kLastCodePoint) {
            return UseDefault(out, usedDefault);
        }
        // A lone surrogate has no valid UTF-8 form; Windows writes the replacement character.
        return EncodeUtf8(IsSurrogate(code) ? 0xFFFD : code, out);
    }
    std::mbstate_t state{};
    const std::size_t n = std::wcrtomb(out, c, &state);
    return n == static_cast<std::size_t>(-1) ? UseDefault(out, usedDefault) : n;
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
    // The "C" locale's text is UTF-8 here, as for arguments and file names (host_text.h).
    const bool utf8 = codePage == CP_UTF8 || HostTextIsUtf8ByDefault();
    bool usedDefault = false;
    std::size_t total = 0;
    char one[MB_LEN_MAX];
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t n = EncodeOne(utf8, wide[i], one, &usedDefault);
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
