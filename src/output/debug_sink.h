// Where the diagnostic streams deliver their completed lines: each is shown where the system
// shows diagnostics (platform/debug_output.h).
#pragma once

// channel: 0 for DebugOut, 1 for DebugErr. line: the line's bytes ending in CR, LF and a zero
// byte; valid only during the call.
void DebugSink(int channel, const char* line);
