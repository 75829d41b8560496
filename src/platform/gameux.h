// Game Explorer as the system declares it (the SDK's gameux.h, which MinGW-w64 does not ship),
// the WMI games namespace and query in which it lists the registered games, and the registry
// keys in which it keeps them. The program and the emulated system both take these facts from
// here, so they cannot drift apart.
#pragma once

#include "platform_api.h"

enum GAME_INSTALL_SCOPE { GIS_NOT_INSTALLED = 1, GIS_CURRENT_USER = 2, GIS_ALL_USERS = 3 };

// The vtable order after IUnknown is fixed by the system: AddGame, RemoveGame, UpdateGame,
// VerifyAccess. The program never calls UpdateGame; it is declared to keep VerifyAccess in its
// slot.
struct IGameExplorer : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddGame(BSTR binaryPath, BSTR installDirectory,
                                              GAME_INSTALL_SCOPE scope, GUID* instanceId) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveGame(GUID instanceId) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateGame(GUID instanceId) = 0;
    virtual HRESULT STDMETHODCALLTYPE VerifyAccess(BSTR binaryPath, BOOL* hasAccess) = 0;

  protected:
    ~IGameExplorer() = default;
};

inline const CLSID CLSID_GameExplorer = {
    0x9A5EA990, 0x3034, 0x4D6F, {0x91, 0x28, 0x01, 0xF3, 0xC6, 0x10, 0x22, 0xBC}};
inline const IID IID_IGameExplorer = {
    0xE7B2FB72, 0xD728, 0x49B3, {0xA5, 0xF2, 0x18, 0xEB, 0xF5, 0xF1, 0x34, 0x9E}};

// The local machine's games namespace, present wherever Game Explorer is, and the properties of
// its GAME class that the lookup by executable path uses.
inline constexpr const wchar_t* kGamesNamespace = L"\\\\.\\root\\cimv2\\Applications\\Games";
#define BRACKENFOLD_GAME_BINARY_PATH L"GDFBinaryPath"
inline constexpr const wchar_t* kGameBinaryPathProperty = BRACKENFOLD_GAME_BINARY_PATH;
inline constexpr const wchar_t* kGameInstanceIdProperty = L"InstanceID";

// The one query the lookup asks, in WQL: the games whose binary path is the one that follows
// this head as a double-quoted WQL string (after a blank).
inline constexpr const wchar_t* kGameQueryLanguage = L"WQL";
inline constexpr const wchar_t* kGameByBinaryPathQueryHead =
    L"SELECT * FROM GAME WHERE " BRACKENFOLD_GAME_BINARY_PATH L" =";
#undef BRACKENFOLD_GAME_BINARY_PATH

// Where Game Explorer finds a game's definition: the resource of this type and name in the
// game's binary.
inline constexpr const wchar_t* kGameDefinitionResourceType = L"DATA";
inline constexpr const wchar_t* kGameDefinitionResourceName = L"__GDF_XML";

// Where games are recorded in the registry: Game Explorer's own records (one key per game, named
// by its braced instance GUID, below a key per scope) and the upgrade keys written where Game
// Explorer is missing. All of them live in the registry's 64-bit view, also for a 32-bit build.
#define BRACKENFOLD_GAMEUX_KEY L"Microsoft\\Windows\\CurrentVersion\\GameUX"

// Below HKEY_LOCAL_MACHINE: Game Explorer's records, for all users in "Games", for one user in
// the key named by the user's SID; and the values of a record.
inline constexpr const wchar_t* kGameExplorerRecordsKey = L"Software\\" BRACKENFOLD_GAMEUX_KEY;
inline constexpr const wchar_t* kAllUsersRecordsName = L"Games";
inline constexpr const wchar_t* kRecordBinaryPathValue = L"ConfigGDFBinaryPath";
inline constexpr const wchar_t* kRecordInstallDirectoryValue = L"ConfigApplicationPath";
inline constexpr const wchar_t* kRecordApplicationIdValue = L"ApplicationId";
inline constexpr const wchar_t* kRecordTitleValue = L"Title";
inline constexpr const wchar_t* kRecordDescriptionValue = L"Description";

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
