#include "handed_out/token_user.h"

#include <cwchar>
#include <new>

namespace {

// The SID text starts right after the structure, which keeps it aligned for wide characters.
static_assert(sizeof(TOKEN_USER) % alignof(wchar_t) == 0);

}  // namespace

BOOL WriteTokenUser(std::wstring_view sidText, void* information, DWORD length,
                    DWORD* returnLength) {
    const std::size_t needed = sizeof(TOKEN_USER) + (sidText.size() + 1) * sizeof(wchar_t);
    *returnLength = static_cast<DWORD>(needed);
    if (information == nullptr || length < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto* user = static_cast<TOKEN_USER*>(information);
    auto* text = reinterpret_cast<wchar_t*>(user + 1);
    std::wmemcpy(text, sidText.data(), sidText.size());
    text[sidText.size()] = L'\0';
    user->User.Sid = text;
    user->User.Attributes = 0;
    return TRUE;
}

std::wstring_view SidText(PSID sid) {
    return static_cast<const wchar_t*>(sid);
}

wchar_t* AllocateLocalText(std::wstring_view text) {
    auto* copy = new (std::nothrow) wchar_t[text.size() + 1];
    if (copy != nullptr) {
        std::wmemcpy(copy, text.data(), text.size());
        copy[text.size()] = L'\0';
    }
    return copy;
}

void FreeLocalText(HLOCAL text) {
    delete[] static_cast<wchar_t*>(text);
}
