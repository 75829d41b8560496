// What a task must be before anything is written for it: a name that can only name its shortcut
// file, and a target and arguments that a shortcut holds whole and that no quoting broke.
#pragma once

#include "platform_api.h"

// True when target begins with http:// or https:// (letters compared in ASCII, any case): the
// task is then an Internet shortcut to that web address.
bool IsWebAddress(const wchar_t* target);

// S_OK when the task can be written. Otherwise HRESULT_FROM_WIN32 of ERROR_INVALID_NAME for a
// name that is not a plain file name (null or empty, ending in a dot or a blank, a device name
// such as NUL, "nul .x" or COM1.txt, or holding a path separator, a control character or one of
// < > : " | ? *), or for a web address holding a control character; kStrayQuoteInTaskLine
// (output/program_error_messages.h) for a
// target holding a quote or arguments holding an odd number of quotes (a task line that the
// command line's quoting broke); E_INVALIDARG for a null or empty target; HRESULT_FROM_WIN32 of
// ERROR_FILENAME_EXCED_RANGE for a target (not a web address) of MAX_PATH characters or more, or
// arguments longer than a shortcut holds. Makes no call.
HRESULT CheckTask(const wchar_t* name, const wchar_t* target, const wchar_t* arguments);

// Whether target (a program or document, not a web address) names nothing that exists: the
// system says its file or folder is not found. False when that cannot be told.
bool TaskTargetIsMissing(const wchar_t* target);
