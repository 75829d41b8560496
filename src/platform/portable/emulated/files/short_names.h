// The short (8.3) names that Windows gives the names of a folder, so that the emulated drives
// answer "C:\Games\LONGFO~1\demo.exe" for "C:\Games\Long Folder\demo.exe" as Windows does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// True when name is an 8.3 name (up to 8 characters, a dot and up to 3 more, of the characters
// such names allow), which is then its own short name.
bool IsEightDotThreeName(std::wstring_view name);

// The short name of each of names (the entries of one folder), in the same order. An 8.3 name
// keeps itself; any other gets Windows' basic form: upper case, without blanks and without dots
// but the last, characters that 8.3 names refuse (and any beyond ASCII) as "_", the first six
// characters of the stem, "~" and the lowest number that no other name of the folder holds, and
// the first three characters of the extension ("Long Folder" is LONGFO~1). Numbers go to names
// in the order of the names themselves, whatever order they come in, so that a folder answers
// the same each time; Windows numbers them in the order they were made instead, and from the
// fifth on uses a hash of the name, which a folder of games seldom needs.
std::vector<std::wstring> ShortNamesOf(const std::vector<std::wstring>& names);
