#include "task_checks.h"

#include <cwchar>
#include <string_view>

#include "output/program_error_messages.h"
#include "platform/shell_names.h"
#include "platform/win32_failure.h"

namespace {

// Targets that start with these (in any case) are web addresses, not files.
constexpr const wchar_t* kWebAddressPrefixes[] = {L"http://", L"https://"};

// The longest target a shortcut stores whole, with its terminator; the shell cuts a longer one,
// and the shortcut would start nothing.
constexpr std::size_t kShortcutPathCapacity = MAX_PATH;

// True when name can only ever name a file directly inside its index folder, and names that
// file and nothing else: Windows sends the device names to their devices and drops a trailing
// dot or blank, so a task of such a name would be reported added and never be found.
bool IsPlainFileName(const wchar_t* name) {
    if (name == nullptr || name[0] == L'\0') {
        return false;
    }
    const std::wstring_view text(name);
    for (wchar_t c : text) {
        if (c < L' ' || kForbiddenNameCharacters.find(c) != std::wstring_view::npos) {
            return false;
        }
    }
    return text.back() != L'.' && text.back() != L' ' && !IsReservedDeviceName(text);
}

// A line break in an Internet shortcut's address would start a line of its own in the file,
// such as an icon fetched from a remote share; no control character belongs in an address.
bool HasControlCharacter(const wchar_t* text) {
    for (; *text != L'\0'; ++text) {
        if (*text < L' ' || *text == L'\x7f') {
            return true;
        }
    }
    return false;
}

// A quote ends the quoted argument that carries a task's path on a command line, so a path that
// holds one was cut or joined by the quoting, and a shortcut can store none in its target.
bool HasQuote(const wchar_t* text) {
    return std::wcschr(text, L'"') != nullptr;
}

// Arguments with an odd number of quotes lost or gained one to the command line's quoting: most
// often a folder path ending in a backslash before a closing quote, which made the quote a
// literal one and ran the rest of the command line into the task line. The game would be started
// with arguments nobody wrote.
bool HasUnpairedQuote(const wchar_t* arguments) {
    std::size_t quotes = 0;
    for (; *arguments != L'\0'; ++arguments) {
        quotes += *arguments == L'"' ? 1 : 0;
    }
    return quotes % 2 == 1;
}

}  // namespace

bool IsWebAddress(const wchar_t* target) {
    for (const wchar_t* prefix : kWebAddressPrefixes) {
        const wchar_t* t = target;
        const wchar_t* p = prefix;
        while (*p != L'\0' && (*t == *p || (*t >= L'A' && *t <= L'Z' && *t - L'A' + L'a' == *p))) {
            ++t;
            ++p;
        }
        if (*p == L'\0') {
            return true;
        }
    }
    return false;
}

bool TaskTargetIsMissing(const wchar_t* target) {
    if (target == nullptr || target[0] == L'\0' || IsWebAddress(target)) {
        return false;
    }
    if (GetFileAttributesW(target) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    return IsMissingPathError(GetLastError());
}

HRESULT CheckTask(const wchar_t* name, const wchar_t* target, const wchar_t* arguments) {
    if (!IsPlainFileName(name)) {
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    }
    if (target == nullptr || target[0] == L'\0') {
        return E_INVALIDARG;
    }
    if (HasQuote(target) || (arguments != nullptr && HasUnpairedQuote(arguments))) {
        return kStrayQuoteInTaskLine;
    }
    if (IsWebAddress(target)) {
        return HasControlCharacter(target) ? HRESULT_FROM_WIN32(ERROR_INVALID_NAME) : S_OK;
    }
    // The shell would cut a longer target or longer arguments, and the task would start
    // something else than given.
    if (std::wcslen(target) >= kShortcutPathCapacity ||
        (arguments != nullptr && std::wcslen(arguments) > kMaxShortcutArgumentsLength)) {
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    return S_OK;
}
