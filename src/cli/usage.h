// The usage block shown when arguments are missing.
#pragma once

// Writes the usage block to cout and ends the process with exit status 1 through the normal
// exit, so that the exit handlers run and the streams are flushed.
[[noreturn]] void PrintUsage();
