// Windows path syntax without any file system: how a path is made full against a current
// folder, and when two paths name the same file. "\" and "/" both separate; case is ignored.
#pragma once

#include <optional>
#include <string>
#include <vector>

// A full path taken apart: its root ("C:" or "\\server\share", after a "\\?\" or "\\.\" prefix
// when it had one) and its names below the root.
struct WindowsPath {
    std::wstring prefix;  // "\\?\" or "\\.\" when the path began with one, else empty
    std::wstring root;
    std::vector<std::wstring> names;
    bool trailingSeparator = false;  // the path named a folder by ending in a separator
    // A "\\?\" path: Windows takes it as written, so its Text() is that text and its names
    // are whatever lies between backslashes ("." and ".." included, which no file is named).
    std::optional<std::wstring> verbatim;

    // The path as Windows writes it: prefix, root, "\", the names joined by "\", and a final "\"
    // when trailingSeparator is set and there is a name; a verbatim path as it was written.
    std::wstring Text() const;
    // Offset of the last name in Text(), or none when the path ends in a separator or is a root.
    std::optional<std::size_t> LastNameOffset() const;
    // Upper-case drive letter, or 0 for a UNC path.
    wchar_t Drive() const;
};

// The full form of path as GetFullPathNameW makes it: relative paths and "\"-rooted paths
// resolve against currentFolder (itself a full path), "." and ".." are resolved (".." stops at
// the root) and repeated separators collapse. As in Windows, the last name loses its trailing
// dots and blanks and every other name one trailing dot, so that "C:\game \demo.exe " names a
// folder "game " (and a last name of only dots and blanks leaves the path ending in "\"). A
// "\\.\" path is made full below its device ("\\.\C:"); a "\\?\" path is kept as written.
// currentFolder is not needed (and may be empty) for a path IsFullyQualified. None for an empty
// path, or a path that needs a current folder when currentFolder is none.
std::optional<WindowsPath> FullWindowsPath(std::wstring_view path, std::wstring_view currentFolder);

// True when path names its drive (or server) and starts at its root, so that no current folder
// is needed to make it full: "C:\x", "\\server\share", "\\?\C:\x".
bool IsFullyQualified(std::wstring_view path);

// True when both texts name the same path: equal but for letter case and the separator used.
bool SameWindowsPath(std::wstring_view a, std::wstring_view b);
