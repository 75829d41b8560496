// The short names of the entries of host folders, given once and kept: each folder's names are
// kept in a file of their own below the emulated system's folder (short_name_file.h), because
// every run of the program is a process of its own. An entry gets its short name when the
// emulated system makes it, or, for one that appeared on the host behind its back, when the
// folder is first looked at after it appeared; it keeps that name for as long as it exists.
#pragma once

#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "emulated/host/host_files.h"

// What NamesOf answers while the folder's kept names are damaged (cut short, overwritten or too
// large): which names were given is unknown, so the folder gives and finds no short name until
// the file is deleted, when every entry gets its name afresh.
constexpr int kDamagedShortNames = EBADMSG;

// An entry of a host folder with its Windows name and its short name.
struct NamedEntry {
    std::string hostName;
    std::wstring windowsName;
    std::wstring shortName;
};

// An entry just made, by its host name and Windows name.
struct NewEntry {
    std::string hostName;
    std::wstring windowsName;
};

class ShortNameRecords {
  public:
    // Names kept in folder; with an empty folder nothing is kept, and the entries of a folder are
    // given their names afresh, in the order of their names, each time the folder is read.
    explicit ShortNameRecords(std::filesystem::path folder);

    // Every entry of hostFolder, whose listing is given, with its short name: the one given
    // before, an 8.3 name itself, and for each entry that has none yet the next free one (in the
    // order of their names when several appeared at once), which is then kept. 0,
    // kDamagedShortNames, or the errno of a kept file that cannot be read: a guess could give an
    // entry another entry's name. A file that cannot be written costs only the keeping: the names
    // are still given. An entry under
    // an escaped host name that the system did not make itself answers its host name's text,
    // the only name known of it.
    int NamesOf(const std::filesystem::path& hostFolder,
                const std::vector<HostFolderEntry>& listing, std::vector<NamedEntry>& named) const;

    // Gives the entry hostName that the emulated system has just made in hostFolder its short
    // name now, after every entry that was there before it, and keeps windowsName when the host
    // name does not tell it. Nothing is written while the entry is the only one of the folder
    // whose short name could take its number, unless it must keep its Windows name. Failures are
    // left to the next look at the folder, which gives the entry its name then; while the kept
    // names are damaged nothing is written, and the entry has no short name until they are
    // deleted.
    void Created(const std::filesystem::path& hostFolder, const std::string& hostName,
                 std::wstring_view windowsName) const;

  private:
    // NamesOf under the lock, writing what changed, with newcomer (when given) numbered after
    // every other entry without a name.
    int Update(const std::filesystem::path& hostFolder, const std::vector<HostFolderEntry>& listing,
               const NewEntry* newcomer, std::vector<NamedEntry>& named) const;
    std::filesystem::path FileOf(const std::filesystem::path& hostFolder) const;

    std::filesystem::path folder_;
};
