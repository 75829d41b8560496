#include "reason_line.h"

#include <cstdio>
#include <iostream>

#include "debug_streams.h"
#include "message_line.h"
#include "program_error_messages.h"
#include "program_texts.h"

namespace {

// System messages are a sentence or two; a longer one is treated as missing rather than cut.
constexpr DWORD kMessageCapacity = 1024;
// The language that FormatMessageW picks itself: the user's, then the system's, then English.
constexpr DWORD kUserLanguage = 0;

constexpr std::wstring_view kInsert = L"%1";
constexpr std::wstring_view kLineBreaks = L"\r\n";
constexpr std::wstring_view kTrailingBlanks = L" \t\r\n";

constexpr HRESULT kWin32Facility = 7;

// The system's message table lists Win32 errors by their own code, and not every system finds
// them under the HRESULT that wraps them.
DWORD MessageIdOf(HRESULT result) {
    const auto bits = static_cast<DWORD>(result);
    const bool wrapsWin32Error = FAILED(result) && ((bits >> 16) & 0x1FFF) == kWin32Facility;
    return wrapsWin32Error ? (bits & 0xFFFF) : bits;
}

// One line: each line break inside the text becomes one blank, and the end loses its blanks.
std::wstring OnOneLine(std::wstring text) {
    text.erase(text.find_last_not_of(kTrailingBlanks) + 1);
    std::wstring line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (kLineBreaks.find(text[i]) == std::wstring_view::npos) {
            line += text[i];
        } else if (line.empty() || line.back() != L' ') {
            line += L' ';
        }
    }
    return line;
}

// The message with subject in place of each %1.
std::wstring WithSubject(std::wstring message, const std::wstring& subject) {
    for (std::size_t at = message.find(kInsert); at != std::wstring::npos;
         at = message.find(kInsert, at + subject.size())) {
        message.replace(at, kInsert.size(), subject);
    }
    return message;
}

std::string HexCode(HRESULT result) {
    char text[sizeof "0x12345678"];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

}  // namespace

std::wstring SystemMessageFor(HRESULT result, const std::wstring& subject) {
    wchar_t buffer[kMessageCapacity];
    // Inserts are not given to the system: a message with more of them than the one subject
    // would read arguments that are not there. %1 is filled in below, the others stay.
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       MessageIdOf(result), kUserLanguage, buffer, kMessageCapacity, nullptr);
    if (length == 0 || length >= kMessageCapacity) {
        return {};
    }
    return WithSubject(OnOneLine(std::wstring(buffer, length)), subject);
}

void WriteFailureReason(HRESULT result, const std::wstring& subject) {
    // The line follows a failure line, so something failed: a code that is no failure came from
    // a call that failed without saying why (HRESULT_FROM_WIN32 of a last error of 0 is S_OK),
    // and naming it would print a success. It is the unspecified failure it stands for.
    const HRESULT failure = FAILED(result) ? result : E_FAIL;
    std::wstring message = SystemMessageFor(failure, subject);
    if (message.empty()) {
        message = WithSubject(std::wstring(ProgramErrorMessageFor(failure)), subject);
    }
    if (message.empty()) {
        WriteLineWithCopy(std::cerr, DebugErr(), kReasonLineStart, kReasonWithoutMessageText,
                          HexCode(failure));
        return;
    }
    WriteLineWithCopy(std::cerr, DebugErr(), kReasonLineStart, message, " (", HexCode(failure),
                      ")");
}
