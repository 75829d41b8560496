#include "emulated/host/host_file_facts.h"

#include "emulated/host/host_files.h"

namespace {

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
// Seconds from 1601-01-01, where FILETIME counts from, to 1970-01-01.
constexpr std::uint64_t kUnixEpochInFileTimeSeconds = 11644473600ULL;

std::uint64_t FileTimeOf(const timespec& time) {
    if (time.tv_sec < 0) {
        return 0;
    }
    return (static_cast<std::uint64_t>(time.tv_sec) + kUnixEpochInFileTimeSeconds) * 10000000ULL +
           static_cast<std::uint64_t>(time.tv_nsec) / 100;
}

HostFileFacts FactsOfStatus(const struct stat& status) {
    HostFileFacts facts;
    facts.attributes = S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if ((status.st_mode & S_IWUSR) == 0) {
        facts.attributes |= FILE_ATTRIBUTE_READONLY;
    }
    facts.creationTime = FileTimeOf(status.st_ctim);
    facts.accessTime = FileTimeOf(status.st_atim);
    facts.writeTime = FileTimeOf(status.st_mtim);
    facts.size = S_ISDIR(status.st_mode) ? 0 : static_cast<std::uint64_t>(status.st_size);
    return facts;
}

HostFileFacts FailedFacts(int error) {
    HostFileFacts facts;
    facts.error = error;
    return facts;
}

}  // namespace

HostFileFacts FactsOf(const std::filesystem::path& path) {
    struct stat status {};
    if (int error = StatHostEntry(path, status); error != 0) {
        return FailedFacts(error);
    }
    return FactsOfStatus(status);
}

HostFileFacts EntryFactsOf(const std::filesystem::path& path) {
    struct stat status {};
    if (int error = StatHostLink(path, status); error != 0) {
        return FailedFacts(error);
    }
    if (!S_ISLNK(status.st_mode)) {
        return FactsOfStatus(status);
    }
    HostFileFacts facts = FactsOfStatus(status);
    struct stat target {};
    const bool pointsAtFolder = StatHostEntry(path, target) == 0 && S_ISDIR(target.st_mode);
    facts.attributes = FILE_ATTRIBUTE_REPARSE_POINT |
                       (pointsAtFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE);
    facts.size = 0;
    return facts;
}
