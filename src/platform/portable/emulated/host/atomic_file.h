// Whole-file reads and crash-safe replacement, for files that other runs may read at any time.
#pragma once

#include <filesystem>
#include <string>

#include "emulated/host/host_files.h"

// Replaces path with contents: writes a temporary file in the same folder (<name>.tmp-<random>),
// flushes it to disk, renames it over path and flushes the folder, so a reader sees the old file
// or the new one, never a mixture, even after a crash. The new file keeps the permissions of the
// one it replaces. 0 on success, else the errno of the failed step (the temporary file is then
// removed and path is untouched, unless only the flush of the folder failed). When kept is given,
// it holds the new file open after a success, for a caller that must know it is the same file.
int ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents,
                          HostFile* kept = nullptr);

// Removes the temporary files that replacing path left behind when their run died before the
// rename. Only for a caller that holds the lock under which every replacement of path is made,
// so that no temporary file is still being written. 0 or the errno of the first failure.
int RemoveStaleTemporaries(const std::filesystem::path& path);

// Whether a host name is that of such a temporary file ("<name>.tmp-" and 12 letters or digits).
bool IsTemporaryName(std::string_view hostName);

// Removes every such temporary file of folder, for a caller that removes the folder: a
// replacement still being written there then fails, as a file being written into a folder that
// is removed does. 0 or the errno of the first failure.
int RemoveTemporariesIn(const std::filesystem::path& folder);
