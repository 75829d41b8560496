// Where the emulated system lives on the host and who its user is.
#pragma once

#include <filesystem>
#include <string>

// ${XDG_DATA_HOME}/brackenfold/system, or $HOME/.local/share/brackenfold/system when
// XDG_DATA_HOME is unset, empty or relative; empty when neither variable gives an absolute folder.
std::filesystem::path SystemFolderFromEnvironment();

// The emulated system's one user.
struct SystemUser {
    std::wstring loginName;  // the host login name, the name of the user's profile folder
    std::wstring userId;     // the user's security identifier in text form, S-1-5-21-...
};

// The host's current user: login name from the user database, else $USER, else user<uid>, each
// taken only when it is a plain file name; and a security identifier made from the host user id,
// the same in every run.
SystemUser CurrentSystemUser();
// The same for a user id, its name in the user database and $USER (either may be null).
SystemUser SystemUserFor(unsigned uid, const char* databaseName, const char* userVariable);

// Folders of the emulated system's layout below the system folder.
struct SystemLayout {
    std::filesystem::path root;

    std::filesystem::path DriveC() const { return root / "drive_c"; }
    std::filesystem::path RegistryFolder() const { return root / "registry"; }
    std::filesystem::path LockFile() const { return root / "lock"; }
    std::filesystem::path ShortNamesFolder() const { return root / "short_names"; }
};
