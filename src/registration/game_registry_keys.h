// Where games are recorded in the registry: Game Explorer's own records (one key per game below
// a key per scope) and the upgrade keys written where Game Explorer is missing. All of them live
// in the registry's 64-bit view, also for a 32-bit build.
#pragma once

#include "platform_api.h"

#define BRACKENFOLD_GAMEUX_KEY L"Microsoft\\Windows\\CurrentVersion\\GameUX"

// Below HKEY_LOCAL_MACHINE: Game Explorer's records, for all users in "Games", for one user in
// the key named by the user's SID.
inline constexpr const wchar_t* kGameExplorerRecordsKey = L"Software\\" BRACKENFOLD_GAMEUX_KEY;
inline constexpr const wchar_t* kAllUsersRecordsName = L"Games";
inline constexpr const wchar_t* kRecordBinaryPathValue = L"ConfigGDFBinaryPath";

// The keys the system reads, when it is later upgraded to one with Game Explorer, to find the
// games that were installed before: the same path below the current user's classes and below
// HKLM\Software.
inline constexpr const wchar_t* kCurrentUserUpgradeKey =
    L"Software\\Classes\\Software\\" BRACKENFOLD_GAMEUX_KEY L"\\GamesToFindOnWindowsUpgrade";
inline constexpr const wchar_t* kAllUsersUpgradeKey =
    L"Software\\" BRACKENFOLD_GAMEUX_KEY L"\\GamesToFindOnWindowsUpgrade";
inline constexpr const wchar_t* kUpgradeBinaryPathValue = L"GDFBinaryPath";
inline constexpr const wchar_t* kUpgradeInstallPathValue = L"GameInstallPath";

#undef BRACKENFOLD_GAMEUX_KEY
