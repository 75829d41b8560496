// The emulated system's special folders: the user's local application data in the user's
// profile, and the application data common to all users.
#pragma once

#include <optional>
#include <string>

#include "emulated/location/system_location.h"

// C:\Users\<login name>\AppData\Local for CSIDL_LOCAL_APPDATA, C:\ProgramData for
// CSIDL_COMMON_APPDATA (flags such as CSIDL_FLAG_CREATE in the high byte are ignored); none for
// any other folder.
std::optional<std::wstring> SpecialFolderPath(int folder, const SystemUser& user);
