#include "line_value_form.h"

#include <cstdint>

#include "debug_streams.h"
#include "platform/debug_output.h"
#include "platform/hex_digit.h"
#include "to_narrow.h"

namespace {

UINT consoleCodePage = CP_THREAD_ACP;

constexpr std::uint32_t kFirstPrintable = 0x20;
constexpr std::uint32_t kDelete = 0x7F;

// U+0000..U+001F and U+007F. (wchar_t is signed on some hosts: compared as a code point.)
bool IsControlCharacter(wchar_t character) {
    const auto code = static_cast<std::uint32_t>(character);
    return code < kFirstPrintable || code == kDelete;
}

void AppendEscaped(std::wstring& text, wchar_t character) {
    if (character == L'\r') {
        text += L"\\r";
    } else if (character == L'\n') {
        text += L"\\n";
    } else {
        const auto code = static_cast<std::uint32_t>(character);
        text += L"\\x";
        text += UpperHexDigit(code >> 4);
        text += UpperHexDigit(code);
    }
}

std::wstring WithControlCharactersEscaped(const std::wstring& value) {
    std::wstring escaped;
    escaped.reserve(value.size());
    for (const wchar_t character : value) {
        if (IsControlCharacter(character)) {
            AppendEscaped(escaped, character);
        } else {
            escaped += character;
        }
    }
    return escaped;
}

}  // namespace

LineValueForm LineValueFormOf(const std::ostream& stream) {
    // Only the diagnostic streams write through a DebugStreamBuf; their buffer ends a line at a
    // CR or LF of its own, whatever the form.
    if (dynamic_cast<const DebugStreamBuf*>(stream.rdbuf()) != nullptr) {
        return {kDiagnosticLineCodePage, false};
    }
    return {consoleCodePage, true};
}

std::string LineValue(const std::wstring& value, LineValueForm form) {
    return ToNarrow(form.controlCharactersEscaped ? WithControlCharactersEscaped(value) : value,
                    form.codePage);
}

ConsoleLineCodePage::ConsoleLineCodePage(UINT codePage) : saved_(consoleCodePage) {
    consoleCodePage = codePage;
}

ConsoleLineCodePage::~ConsoleLineCodePage() {
    consoleCodePage = saved_;
}
