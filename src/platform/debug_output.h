// Where the program's diagnostic lines become visible outside the process, the way each system
// exposes the diagnostics of its tools.
#pragma once

// Shows one completed diagnostic line. channel: 0 for information, 1 for errors. line: narrow
// text in the thread's ANSI code page, ending in CR, LF and a zero byte; not kept after the call.
// On Windows the line goes to OutputDebugStringW, where a debugger or a debug-output viewer
// shows it. Elsewhere, when the environment variable BRACKENFOLD_DEBUG is "1", it is written at
// once to standard error after "debug: " (channel 0) or "debug error: " (channel 1), ending in a
// line feed alone; otherwise it is not shown.
void ShowDiagnosticLine(int channel, const char* line);
