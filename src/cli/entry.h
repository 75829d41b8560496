// The program's entry routine. On Windows the runtime calls it with the wide command line; on
// other hosts a small main converts the arguments and calls it.
#pragma once

// Returns the exit status, 0 on every path that returns; the usage path exits with 1 instead.
extern "C" int wmain(int argc, wchar_t* argv[]);
