// A command line's text split into arguments by the rules of the C runtime that the program is
// built with, which splits the program's own command line into wmain's argument vector: so that a
// command line passed as text (the MSI custom action's CustomActionData) means what it would mean
// on the program's command line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The arguments of text, the part of a command line after the program's name. Blanks and tabs
// (no other character) end an argument outside quotes. A quote opens or closes a quoted part and
// is dropped; inside a quoted part, two quotes are one literal quote and the part goes on; text
// that ends inside a quoted part ends the last argument. Backslashes are literal unless a quote
// follows them: then each pair of them is one backslash, and an odd one left over makes the quote
// a literal one. A quoted part that is empty still makes an argument ("" gives one empty
// argument).
std::vector<std::wstring> SplitCommandLineArguments(std::wstring_view text);
