#include "current_user_sid.h"

#include <vector>

#include "platform/owners.h"
#include "platform/win32_failure.h"

namespace {

// The well-known SID of the local system account.
constexpr wchar_t kSystemAccountSid[] = L"S-1-5-18";

}  // namespace

HRESULT CurrentUserSid(std::wstring& sid) {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) {
        return LastErrorResult();
    }
    // The first call only measures: the SID's size varies, so the buffer is made to fit it.
    DWORD needed = 0;
    if (!GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &needed) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return LastErrorResult();
    }
    // TOKEN_USER begins with a pointer: the buffer is made of pointers to keep its alignment.
    std::vector<void*> buffer(needed / sizeof(void*) + 1);
    if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(),
                             static_cast<DWORD>(buffer.size() * sizeof(void*)), &needed)) {
        return LastErrorResult();
    }
    LocalText text;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid,
                                text.Put())) {
        return LastErrorResult();
    }
    sid = text.Get();
    return S_OK;
}

bool CurrentUserIsSystemAccount() {
    std::wstring sid;
    return SUCCEEDED(CurrentUserSid(sid)) && sid == kSystemAccountSid;
}
