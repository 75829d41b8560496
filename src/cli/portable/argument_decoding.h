// Turns a host command-line argument into the wide text the entry routine expects.
#pragma once

#include <string>

// Decodes text with the multibyte encoding of the current LC_CTYPE locale. A byte that does not
// start a valid character is kept as U+DC00 plus the byte, so no argument is dropped or cut and
// the console and file system get the same bytes back.
std::wstring DecodeArgument(const char* text);
