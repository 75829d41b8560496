// The folder part of a path, as the add command derives a game's install directory.
#pragma once

#include <string>

// The part of path before its last "\" or "/" (that separator excluded); empty when the path has
// neither. Nothing else changes: no separator is added, "." and ".." stay, no file is looked at.
std::wstring DirectoryOf(const std::wstring& path);
