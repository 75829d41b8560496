// Where the drives of the emulated system lie on the host, as in a Wine prefix: C: is the
// folder drive_c of the system, Z: is the host's root, and the current folder is the host's
// current folder seen through Z:. No other drive and no network path exists.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "emulated/files/short_name_records.h"
#include "emulated/files/windows_path.h"
#include "platform_api.h"

class DriveMapping {
  public:
    explicit DriveMapping(std::filesystem::path systemFolder);

    // The full Windows form of path (GetFullPathNameW), against the current folder.
    std::optional<WindowsPath> FullPath(std::wstring_view path) const;

    // The host file that a full Windows path names, or a Win32 error: ERROR_PATH_NOT_FOUND for a
    // drive that does not exist, ERROR_INVALID_NAME for a name Windows does not allow,
    // ERROR_ACCESS_DENIED for a folder on the way that cannot be read, ERROR_INVALID_DATA for a
    // name that may be a short name in a folder whose kept short names are damaged. Names match
    // existing host entries without regard to case, so "C:\PROGRAMDATA" finds ProgramData, and
    // an entry's short name (short_name_records.h) finds it too.
    struct HostPath {
        std::filesystem::path path;
        LONG error = ERROR_SUCCESS;
        bool exists = false;  // the path names an existing file or folder
        std::wstring name;    // the last name: the existing entry's own, else as it was asked
        std::size_t existingNames = 0;  // how many of the path's names exist, from the first
    };
    HostPath ToHost(const WindowsPath& path) const;
    // FullPath and ToHost in one.
    HostPath ToHost(std::wstring_view path) const;

    // Gives the entries that the program has just made at host, the missing names of path when
    // it was mapped, their short names (short_name_records.h), in the order they were made.
    void Created(const WindowsPath& path, const HostPath& host) const;

    // Every entry of hostFolder, whose listing is given, with its Windows name and short name
    // (ShortNameRecords::NamesOf): the Windows name of an entry kept under an escaped host name
    // is known when the system made it. 0 or the errno of records that cannot be read.
    int NamedEntriesOf(const std::filesystem::path& hostFolder,
                       const std::vector<HostFolderEntry>& listing,
                       std::vector<NamedEntry>& named) const {
        return shortNames_.NamesOf(hostFolder, listing, named);
    }

    // The host's current folder as Z:\..., or none when the host cannot tell it.
    static std::optional<std::wstring> CurrentFolder();

  private:
    std::filesystem::path systemFolder_;
    ShortNameRecords shortNames_;
};
