// The line that follows every failure line and says why the step failed, in the system's own
// words, so that an installer's author need not guess among the causes.
#pragma once

#include <iostream>
#include <string>

#include "message_line.h"
#include "platform_api.h"

// The system's message for result (for an HRESULT that carries a Win32 error, the message of
// that error) on one line, without its line break, with subject in place of its insert %1; empty
// when the system has none.
std::wstring SystemMessageFor(HRESULT result, const std::wstring& subject);

// Writes "  reason: <message> (0x<8 upper-case hex digits>)" to cerr and its copy to DebugErr,
// with the system's message, or where the system has none the program's own for a code that it
// raises itself (program_error_messages.h); "  reason: error 0x<...>" when neither has one. A
// result that is no failure is written as E_FAIL. subject is the path or task name that the failure
// line before it names.
void WriteFailureReason(HRESULT result, const std::wstring& subject);

// Reports a step that failed: its failure line, the items in order, on cerr and DebugErr, then
// the reason line for result about subject.
template <typename... Items>
void WriteFailure(HRESULT result, const std::wstring& subject, const Items&... lineItems) {
    WriteLineWithCopy(std::cerr, DebugErr(), lineItems...);
    WriteFailureReason(result, subject);
}
