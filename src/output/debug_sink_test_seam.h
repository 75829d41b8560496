// Test-only: lets a test observe the lines that reach DebugSink. The program never installs one.
#pragma once

using DebugLineObserver = void (*)(int channel, const char* line);

// Installs observer (null removes it).
void SetDebugLineObserverForTesting(DebugLineObserver observer);
