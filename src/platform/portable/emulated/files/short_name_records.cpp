#include "emulated/files/short_name_records.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <unordered_map>

#include "emulated/files/short_name_file.h"
#include "emulated/files/short_names.h"
#include "emulated/host/atomic_file.h"
#include "emulated/location/system_lock.h"
#include "text/host_text.h"

namespace {

// Larger files are taken as damaged.
constexpr std::size_t kMaxFileBytes = 64 * 1024 * 1024;

std::uint64_t Fnv1a(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string Hexadecimal(std::uint64_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (std::size_t i = text.size(); i-- > 0; value >>= 4) {
        text[i] = kDigits[value & 0xF];
    }
    return text;
}

// The folder's identity and the names kept for it: none when nothing is kept, or it was kept for
// an earlier folder of that path. 0, kDamagedShortNames for a file that does not parse or is too
// large (the names it held are unknown, and giving any again could give one to another entry),
// or the errno of a failed read.
int ReadKept(const std::filesystem::path& file, const std::filesystem::path& hostFolder,
             ShortNameFile& kept) {
    kept = {hostFolder.string(), 0, 0, {}};
    struct stat status {};
    if (int error = StatHostEntry(hostFolder, status); error != 0) {
        return error;
    }
    kept.device = static_cast<std::uint64_t>(status.st_dev);
    kept.inode = static_cast<std::uint64_t>(status.st_ino);
    HostFile opened;
    std::string bytes;
    int error = opened.Open(file, O_RDONLY);
    if (error == 0) {
        error = opened.ReadToEnd(bytes, kMaxFileBytes);
    }
    if (error == ENOENT) {
        return 0;
    }
    if (error != 0) {
        return error == EFBIG ? kDamagedShortNames : error;
    }
    std::optional<ShortNameFile> parsed = ParseShortNameFile(bytes);
    if (!parsed) {
        return kDamagedShortNames;
    }
    if (parsed->folder == kept.folder && parsed->device == kept.device &&
        parsed->inode == kept.inode) {
        kept.given = std::move(parsed->given);
    }
    return 0;
}

struct Reconciled {
    std::vector<GivenShortName> given;  // what is to be kept
    std::vector<NamedEntry> named;
    bool changed = false;
};

// The entries of listing with their short names: 8.3 names hold themselves, the names kept go to
// the entries that still exist, in the order they were given, and every other entry gets the
// next free name, in the order of the names and the newcomer (when given) last, under its
// Windows name.
Reconciled Reconcile(const std::vector<GivenShortName>& kept,
                     const std::vector<HostFolderEntry>& listing,
                     const NewEntry* newcomer = nullptr) {
    Reconciled result;
    ShortNameTable table;
    std::unordered_map<std::string, std::wstring> unnamed;  // host name to its text
    for (const HostFolderEntry& entry : listing) {
        std::wstring text = HostToWide(entry.name);
        if (IsEightDotThreeName(text) && table.Hold(text)) {
            result.named.push_back({entry.name, text, text});
        } else {
            unnamed.emplace(entry.name, std::move(text));
        }
    }
    for (const GivenShortName& given : kept) {
        const auto entry = unnamed.find(given.hostName);
        if (entry == unnamed.end() || !table.Hold(given.shortName)) {
            result.changed = true;  // gone, or its name is an 8.3 name's now
            continue;
        }
        const std::wstring& windowsName =
            given.windowsName.empty() ? entry->second : given.windowsName;
        result.named.push_back({given.hostName, windowsName, given.shortName});
        result.given.push_back(given);
        unnamed.erase(entry);
    }
    std::vector<std::pair<std::wstring, std::string>> newcomers;
    for (const auto& [hostName, text] : unnamed) {
        const bool isNewcomer = newcomer != nullptr && newcomer->hostName == hostName;
        newcomers.emplace_back(isNewcomer ? newcomer->windowsName : text, hostName);
    }
    std::sort(newcomers.begin(), newcomers.end(), [&](const auto& a, const auto& b) {
        const bool aLast = newcomer != nullptr && a.second == newcomer->hostName;
        const bool bLast = newcomer != nullptr && b.second == newcomer->hostName;
        return aLast != bLast ? bLast : a < b;
    });
    for (const auto& [windowsName, hostName] : newcomers) {
        std::wstring shortName = table.Give(windowsName);
        const bool told = HostToWide(hostName) == windowsName;
        result.given.push_back({hostName, shortName, told ? std::wstring() : windowsName});
        result.named.push_back({hostName, windowsName, std::move(shortName)});
        result.changed = true;
    }
    return result;
}

// True when another entry of listing would number its short name in the same row as name (the
// caller asks only while the folder has no names kept).
bool SharesBasis(const std::vector<HostFolderEntry>& listing, const std::string& hostName,
                 std::wstring_view name) {
    const std::wstring basis = ShortNameBasis(name);
    return std::any_of(listing.begin(), listing.end(), [&](const HostFolderEntry& entry) {
        const std::wstring text = HostToWide(entry.name);
        return entry.name != hostName && !IsEightDotThreeName(text) &&
               ShortNameBasis(text) == basis;
    });
}

}  // namespace

ShortNameRecords::ShortNameRecords(std::filesystem::path folder) : folder_(std::move(folder)) {}

int ShortNameRecords::NamesOf(const std::filesystem::path& hostFolder,
                              const std::vector<HostFolderEntry>& listing,
                              std::vector<NamedEntry>& named) const {
    if (folder_.empty() || listing.empty()) {
        named = Reconcile({}, listing).named;
        return 0;
    }
    ShortNameFile kept;
    if (int error = ReadKept(FileOf(hostFolder), hostFolder, kept); error != 0) {
        return error;
    }
    Reconciled reconciled = Reconcile(kept.given, listing);
    if (!reconciled.changed) {
        named = std::move(reconciled.named);
        return 0;
    }
    return Update(hostFolder, listing, nullptr, named);
}

void ShortNameRecords::Created(const std::filesystem::path& hostFolder, const std::string& hostName,
                               std::wstring_view windowsName) const {
    if (folder_.empty() || IsEightDotThreeName(windowsName)) {
        return;
    }
    std::vector<HostFolderEntry> listing;
    ShortNameFile kept;
    if (ListHostFolder(hostFolder, listing) != 0 ||
        ReadKept(FileOf(hostFolder), hostFolder, kept) != 0) {
        return;
    }
    const bool escaped = HostToWide(hostName) != windowsName;
    if (escaped || !kept.given.empty() || SharesBasis(listing, hostName, windowsName)) {
        const NewEntry created{hostName, std::wstring(windowsName)};
        std::vector<NamedEntry> named;
        Update(hostFolder, listing, &created, named);
    }
}

int ShortNameRecords::Update(const std::filesystem::path& hostFolder,
                             const std::vector<HostFolderEntry>& listing, const NewEntry* newcomer,
                             std::vector<NamedEntry>& named) const {
    // Read again under the lock, with the folder as it is now: another run may have given names
    // since, or made entries that the names kept must not lose.
    const int folderError = MakeHostFolders(folder_);
    SystemLock lock(folder_ / "lock", SystemLock::Mode::Exclusive);
    const bool locked = folderError == 0 && lock.Error() == 0;
    std::vector<HostFolderEntry> current;
    const bool listed = ListHostFolder(hostFolder, current) == 0;
    ShortNameFile kept;
    if (int error = ReadKept(FileOf(hostFolder), hostFolder, kept); error != 0) {
        return error;
    }
    Reconciled reconciled = Reconcile(kept.given, listed ? current : listing, newcomer);
    named = std::move(reconciled.named);
    if (locked && reconciled.changed) {
        kept.given = std::move(reconciled.given);
        // Every replacement is made under this lock, so a temporary file seen now is a dead
        // run's.
        RemoveStaleTemporaries(FileOf(hostFolder));
        ReplaceFileAtomically(FileOf(hostFolder), ShortNameFileText(kept));
    }
    return 0;
}

std::filesystem::path ShortNameRecords::FileOf(const std::filesystem::path& hostFolder) const {
    return folder_ / Hexadecimal(Fnv1a(hostFolder.string()));
}
