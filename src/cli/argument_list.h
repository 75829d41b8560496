// The command line as an ordered list of wide strings; element 0 is the program path.
#pragma once

#include <string>
#include <vector>

using ArgumentList = std::vector<std::wstring>;

// A copy of each of the argc strings of argv, in order; nothing is trimmed, split or unquoted.
ArgumentList BuildArgumentList(int argc, const wchar_t* const* argv);
