// Whole-file reads and crash-safe replacement, for files that other runs may read at any time.
#pragma once

#include <filesystem>
#include <string>

// Replaces path with contents: writes a temporary file in the same folder, flushes it to disk,
// renames it over path and flushes the folder, so a reader sees the old file or the new one,
// never a mixture, even after a crash. 0 on success, else the errno of the failed step (the
// temporary file is then removed and path is untouched).
int ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents);

// 0 and the file's bytes, or an errno (ENOENT when the file does not exist).
int ReadWholeFile(const std::filesystem::path& path, std::string& contents);
