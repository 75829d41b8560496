#include "emulated/shell/special_folders.h"

#include "platform_api.h"

namespace {

// CSIDL_FLAG_CREATE and its kind live above the folder number.
constexpr int kFolderNumberMask = 0x00FF;

}  // namespace

std::optional<std::wstring> SpecialFolderPath(int folder, const SystemUser& user) {
    switch (folder & kFolderNumberMask) {
        case CSIDL_LOCAL_APPDATA:
            return L"C:\\Users\\" + user.loginName + L"\\AppData\\Local";
        case CSIDL_COMMON_APPDATA:
            return L"C:\\ProgramData";
        default:
            return std::nullopt;
    }
}
