#include "system_location.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "host_text.h"

namespace {

constexpr const char* kSystemSubfolder = "brackenfold/system";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

std::filesystem::path SystemFolderFromEnvironment() {
    std::filesystem::path dataHome = Environment("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    if (dataHome.empty() || !dataHome.is_absolute()) {
        std::string home = Environment("HOME");
        if (home.empty()) {
            return {};
        }
        dataHome = std::filesystem::path(home) / ".local/share";
    }
    return dataHome / kSystemSubfolder;
}

SystemUser CurrentSystemUser() {
    uid_t uid = ::getuid();
    std::string login;
    if (const passwd* entry = ::getpwuid(uid); entry != nullptr && entry->pw_name != nullptr) {
        login = entry->pw_name;
    }
    if (login.empty()) {
        login = Environment("USER");
    }
    if (login.empty()) {
        login = "user";
    }
    // The machine part is fixed; the relative id distinguishes host users, as under Wine.
    std::wstring userId = L"S-1-5-21-0-0-0-" + std::to_wstring(1000 + uid);
    return {HostToWide(login), userId};
}
