#include "program_error_messages.h"

namespace {

// Codes that the SDK names but this program's headers do not spell.
constexpr LONG kBadPathName = 161;  // ERROR_BAD_PATHNAME

struct ProgramErrorMessage {
    HRESULT result;
    std::wstring_view text;
};

// Every code that the program returns of its own accord (rather than passing on a call's), with
// the text Windows keeps for it.
constexpr ProgramErrorMessage kProgramErrorMessages[] = {
    {E_FAIL, L"Unspecified error"},
    {E_POINTER, L"Invalid pointer"},
    {E_INVALIDARG, L"The parameter is incorrect."},
    {E_OUTOFMEMORY, L"Not enough memory resources are available to complete this operation."},
    {E_ACCESSDENIED, L"Access is denied."},
    {HRESULT_FROM_WIN32(ERROR_INVALID_DATA), L"The data is invalid."},
    {HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER),
     L"The data area passed to a system call is too small."},
    {HRESULT_FROM_WIN32(ERROR_INVALID_NAME),
     L"The filename, directory name, or volume label syntax is incorrect."},
    {HRESULT_FROM_WIN32(kBadPathName), L"The specified path is invalid."},
    {HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE), L"The filename or extension is too long."},
    {HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE),
     L"The file size exceeds the limit allowed and cannot be saved."},
    {HRESULT_FROM_WIN32(static_cast<LONG>(WAIT_TIMEOUT)), L"The wait operation timed out."},
    {HRESULT_FROM_WIN32(ERROR_NOT_FOUND), L"Element not found."},
    {HRESULT_FROM_WIN32(ERROR_TIMEOUT),
     L"This operation returned because the timeout period expired."},
    {HRESULT_FROM_WIN32(ERROR_OBJECT_ALREADY_EXISTS), L"The object already exists."},
    {kCurrentUserIsSystemAccount,
     L"The current user is the system account: a game added for it is seen by no one. Add it "
     L"for all users, or run the add as the user (an impersonating custom action)."},
    {kTaskFolderHoldsLinkOrForeignEntry,
     L"The game's task folders hold a link (a symbolic link, junction or mount point) or a file or "
     L"folder that this program did not write. Nothing is written or deleted through a link, and "
     L"such an entry is left where it is: remove it from the folder, then run again."},
    {kStrayQuoteInTaskLine,
     L"The task line holds a stray quote: a backslash before its closing quote (a folder such as "
     L"[INSTALLDIR] ends in one) escaped it, and the rest of the command line ran into the task. "
     L"The line as received: %1"},
};

}  // namespace

std::wstring_view ProgramErrorMessageFor(HRESULT result) {
    for (const ProgramErrorMessage& message : kProgramErrorMessages) {
        if (message.result == result) {
            return message.text;
        }
    }
    return {};
}
