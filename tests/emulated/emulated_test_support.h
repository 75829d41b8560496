// Helpers for the tests of the emulated system: throwaway folders, file contents, hive text and
// what lnkinfo reads from a shortcut.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/temporary_folder.h"

// Makes path the current folder for one scope and restores the previous one after it.
class CurrentFolderScope {
  public:
    explicit CurrentFolderScope(const std::filesystem::path& path);
    CurrentFolderScope(const CurrentFolderScope&) = delete;
    CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;
    ~CurrentFolderScope();

  private:
    std::filesystem::path previous_;
};

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// A UTF-16LE file with byte order mark as UTF-8 text (ASCII tests only need the plain units).
std::string Utf16FileAsText(const std::filesystem::path& path);

// The value lnkinfo shows for a field ("Local path", "Working directory", "Command line
// arguments"), or "<absent>" when it shows none; "<lnkinfo failed>" when it cannot parse the file.
std::string LnkInfoField(const std::filesystem::path& shortcut, const std::string& field);

// The game that the end-to-end tests add (the demo game, and a copy of it at the same path with
// ".other" appended), made ready on the system in systemFolder (the folder that holds drive_c):
// returns the Windows path of its executable.
std::string InstallTestGame(const std::filesystem::path& systemFolder);

// Every file below folder that the emulated system writes as a temporary (<name>.tmp-...).
std::vector<std::filesystem::path> TemporaryFilesBelow(const std::filesystem::path& folder);
