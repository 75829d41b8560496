#include "emulated/location/system_location.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "text/host_text.h"

namespace {

constexpr const char* kSystemSubfolder = "brackenfold/system";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Whether name can be the name of the user's profile folder as it is: one plain file name on
// the host and on Windows, so that joining it to a path cannot lead out of the Users folder.
bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("/\\<>:\"|?*").find(c) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::filesystem::path SystemFolderFromEnvironment() {
    std::filesystem::path dataHome = Environment("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    if (dataHome.empty() || !dataHome.is_absolute()) {
        // A relative HOME would put the system wherever the program happens to be started.
        std::string home = Environment("HOME");
        if (home.empty() || home.front() != '/') {
            return {};
        }
        dataHome = std::filesystem::path(home) / ".local/share";
    }
    return dataHome / kSystemSubfolder;
}

SystemUser CurrentSystemUser() {
    uid_t uid = ::getuid();
    const passwd* entry = ::getpwuid(uid);
    return SystemUserFor(uid, entry != nullptr ? entry->pw_name : nullptr, std::getenv("USER"));
}

SystemUser SystemUserFor(unsigned uid, const char* databaseName, const char* userVariable) {
    std::string login;
    for (const char* candidate : {databaseName, userVariable}) {
        if (candidate != nullptr && IsPlainFileName(candidate)) {
            login = candidate;
            break;
        }
    }
    if (login.empty()) {
        login = "user" + std::to_string(uid);
    }
    // The machine part is fixed; the relative id distinguishes host users, as under Wine.
    std::wstring userId = L"S-1-5-21-0-0-0-" + std::to_wstring(1000 + uid);
    return {HostToWide(login), userId};
}
