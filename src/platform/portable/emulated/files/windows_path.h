// Windows path syntax without any file system: how a path is made full against a current
// folder, and when two paths name the same file. "\" and "/" both separate; case is ignored.
#pragma once

#include <optional>
#include <string>
#include <vector>

// A full path taken apart: its root ("C:" or "\\server\share") and its names below the root.
struct WindowsPath {
    std::wstring root;
    std::vector<std::wstring> names;
    bool trailingSeparator = false;  // the path named a folder by ending in a separator

    // The path as Windows writes it: root, "\", the names joined by "\", and a final "\" when
    // trailingSeparator is set and there is a name.
    std::wstring Text() const;
    // Offset of the last name in Text(), or none when the path ends in a separator or is a root.
    std::optional<std::size_t> LastNameOffset() const;
    // Upper-case drive letter, or 0 for a UNC path.
    wchar_t Drive() const;
};

// The full form of path as GetFullPathNameW makes it: relative paths and "\"-rooted paths
// resolve against currentFolder (itself a full path), "." and ".." are resolved (".." stops at
// the root), repeated separators collapse and trailing dots and blanks of each name go. None
// for an empty path or a "\\?\" path, which the emulated system does not reach.
std::optional<WindowsPath> FullWindowsPath(std::wstring_view path, std::wstring_view currentFolder);

// True when both texts name the same path: equal but for letter case and the separator used.
bool SameWindowsPath(std::wstring_view a, std::wstring_view b);
