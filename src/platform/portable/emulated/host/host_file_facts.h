// What Windows would report about a host file: its attributes and times.
#pragma once

#include <cstdint>
#include <filesystem>

#include "platform_api.h"

struct HostFileFacts {
    DWORD attributes = INVALID_FILE_ATTRIBUTES;  // INVALID_FILE_ATTRIBUTES when it does not exist
    std::uint64_t creationTime = 0;              // FILETIME values
    std::uint64_t accessTime = 0;
    std::uint64_t writeTime = 0;
    std::uint64_t size = 0;
    int error = 0;  // the errno of the failed look-up, 0 when it exists
};

// A FILETIME value of HostFileFacts in the two halves that Windows structures hold.
inline FILETIME ToFileTime(std::uint64_t value) {
    return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

// A folder is FILE_ATTRIBUTE_DIRECTORY, a file FILE_ATTRIBUTE_ARCHIVE; either is also
// FILE_ATTRIBUTE_READONLY when its owner may not write it. The host keeps no creation time, so
// the time of the last status change stands in for it. Links are followed: the facts of what a
// path leads to, as a program that opens it finds them.
HostFileFacts FactsOf(const std::filesystem::path& path);

// The facts of the entry itself, as Windows lists it and GetFileAttributesW reports it: a host
// symbolic link is a reparse point, FILE_ATTRIBUTE_REPARSE_POINT with FILE_ATTRIBUTE_DIRECTORY
// when it points at a folder (else FILE_ATTRIBUTE_ARCHIVE, also when it points at nothing), its
// own times and a size of 0; any other entry as FactsOf gives it.
HostFileFacts EntryFactsOf(const std::filesystem::path& path);
