// The program's entry: the command line run from start to end, and the entry point around it. On
// Windows the runtime calls wmain with the wide command line; on other hosts a small main
// converts the arguments and calls it; an MSI custom action calls RunCommandLine in-process.
#pragma once

#include <string>
#include <vector>

// Runs the command line arguments (arguments[0] is the program path) and returns the exit
// status; never ends the process. The banner is printed only when mayShowBanner is set and the
// line has no -nologo. An -exitcode before the command word makes reportOutcome true. The status is
// 1 when the usage was printed; otherwise 0, or with reportOutcome what the command did: for -add 0
// when the game was registered and every task line added, 2 when the game was not added, 3 when it
// was added but a task line was skipped or not added; for -del 0 when nothing of the game is left,
// 2 when something of it may still be registered, 3 when the registration went but a task folder
// stayed. Running out of memory, or any other exception, ends the run as a failure (status 2).
int RunCommandLine(const std::vector<std::wstring>& arguments, bool reportOutcome,
                   bool mayShowBanner = false);

// Selects the user's default character-type locale, prints the banner and runs the command line
// without -exitcode's outcome unless it asks for it.
extern "C" int wmain(int argc, wchar_t* argv[]);
