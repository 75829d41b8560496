// The folder part of a path, as the add command derives a game's install directory.
#pragma once

#include <string>

// The part of path before its last "\" or "/" (that separator excluded, except at a drive root
// or the start of the path: "C:\demo.exe" gives "C:\"); empty when the path has neither.
// Nothing else changes: "." and ".." stay, no file is looked at.
std::wstring DirectoryOf(const std::wstring& path);
