// Where the program's diagnostic lines become visible outside the process, the way each system
// exposes the diagnostics of its tools.
#pragma once

#include "platform_api.h"

// The code page of the diagnostic lines' text. On Windows UTF-8, so that the line reaches
// OutputDebugStringW with every character it had, whatever the console's code page lacks; on
// other systems the host's own text, like the console lines, since there the lines go to
// standard error.
extern const UINT kDiagnosticLineCodePage;

// Shows one completed diagnostic line. channel: 0 for information, 1 for errors. line: narrow
// text in kDiagnosticLineCodePage, ending in CR, LF and a zero byte; not kept after the call.
// On Windows the line goes to OutputDebugStringW, where a debugger or a debug-output viewer
// shows it. Elsewhere, when the environment variable BRACKENFOLD_DEBUG is "1", it is written at
// once to standard error after "debug: " (channel 0) or "debug error: " (channel 1), ending in a
// line feed alone; otherwise it is not shown.
void ShowDiagnosticLine(int channel, const char* line);
