// The file in which the emulated system keeps the short names it gave the entries of one host
// folder, so that an entry keeps its short name from run to run while other entries come and go.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A short name given to an entry whose own name is no 8.3 name (an 8.3 name is its own short
// name and is never kept).
struct GivenShortName {
    std::string hostName;
    std::wstring shortName;
    // The entry's Windows name when its host name does not tell it (an escaped host name,
    // host_names.h), else empty.
    std::wstring windowsName;
};

// The folder that the names belong to, by host path and identity (a folder removed and made
// again is another folder, whose entries have no short names yet), and the names in the order
// they were given.
struct ShortNameFile {
    std::string folder;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::vector<GivenShortName> given;
};

// The file's bytes: a version line, then fields that each end in a zero byte (which no host name
// holds), so that any name a host allows is kept as it is.
std::string ShortNameFileText(const ShortNameFile& file);

// The file that text holds; none when it is not such a file (damaged, or of another version).
std::optional<ShortNameFile> ParseShortNameFile(std::string_view text);
