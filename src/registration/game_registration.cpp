#include "game_registration.h"

#include <cwchar>

#include "platform/com_initialization.h"
#include "platform/com_ptr.h"
#include "platform/registry_key.h"
#include "platform/unique_bstr.h"
#include "registration/format_wide.h"

namespace {

// The keys the system reads, when it is later upgraded to one with Game Explorer, to find the
// games that were installed before. One parent key per scope, one key per game below it.
constexpr const wchar_t* kCurrentUserUpgradeKey =
    L"Software\\Classes\\Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\"
    L"GamesToFindOnWindowsUpgrade";
constexpr const wchar_t* kAllUsersUpgradeKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\GamesToFindOnWindowsUpgrade";
constexpr const wchar_t* kCurrentUserGameKeyFormat =
    L"Software\\Classes\\Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\"
    L"GamesToFindOnWindowsUpgrade\\%s";
constexpr const wchar_t* kAllUsersGameKeyFormat =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\GamesToFindOnWindowsUpgrade\\%s";
constexpr std::size_t kGameKeyPathCapacity = 1024;

constexpr const wchar_t* kUpgradeBinaryPathValue = L"GDFBinaryPath";
constexpr const wchar_t* kUpgradeInstallPathValue = L"GameInstallPath";

HKEY UpgradeRoot(int scope) {
    return scope == GIS_CURRENT_USER ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

const wchar_t* UpgradeKey(int scope) {
    return scope == GIS_CURRENT_USER ? kCurrentUserUpgradeKey : kAllUsersUpgradeKey;
}

LSTATUS OpenOrCreateKey(HKEY parent, const wchar_t* subKey, RegistryKey& key) {
    // Whether the key was new or already there makes no difference: its values are overwritten.
    return RegCreateKeyExW(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                           key.Put(), nullptr);
}

// Stores text whole, however long, with its terminator; a failed write is not reported, as
// the registry is only a fallback that the system may read one day.
void WriteTextValue(HKEY key, const wchar_t* name, const wchar_t* text) {
    const auto byteCount = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t));
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), byteCount);
}

HRESULT AddToGameExplorer(IGameExplorer& gameExplorer, BSTR binaryPath, BSTR installDirectory,
                          int scope, GUID* gameId) {
    BOOL hasAccess = FALSE;
    const HRESULT verified = gameExplorer.VerifyAccess(binaryPath, &hasAccess);
    if (FAILED(verified)) {
        return verified;
    }
    // A success code alone would make the caller report the game as added and write its tasks.
    if (!hasAccess) {
        return E_ACCESSDENIED;
    }
    return gameExplorer.AddGame(binaryPath, installDirectory,
                                static_cast<GAME_INSTALL_SCOPE>(scope), gameId);
}

// Records the game in its scope's upgrade key. Fails with creationFailure when the parent key
// cannot be opened; once it is open the game counts as recorded.
HRESULT RecordForUpgrade(const wchar_t* executablePath, const wchar_t* installDirectory, int scope,
                         GUID* gameId, HRESULT creationFailure) {
    RegistryKey parentKey;
    if (OpenOrCreateKey(UpgradeRoot(scope), UpgradeKey(scope), parentKey) != ERROR_SUCCESS) {
        return creationFailure;
    }
    if (IsEqualGUID(*gameId, GUID_NULL)) {
        // Without a new GUID the game would be written under the all-zero key, which every other
        // game without a GUID would overwrite.
        GUID created;
        const HRESULT result = CoCreateGuid(&created);
        if (FAILED(result)) {
            return result;
        }
        *gameId = created;
    }
    wchar_t guidText[CHARS_IN_GUID] = {};
    StringFromGUID2(*gameId, guidText, CHARS_IN_GUID);

    RegistryKey gameKey;
    if (OpenOrCreateKey(parentKey.Get(), guidText, gameKey) == ERROR_SUCCESS) {
        WriteTextValue(gameKey.Get(), kUpgradeBinaryPathValue, executablePath);
        WriteTextValue(gameKey.Get(), kUpgradeInstallPathValue, installDirectory);
    }
    return S_OK;
}

// Deletes one game key with all its values and subkeys. Whether it existed does not matter.
void DeleteGameKey(HKEY root, const wchar_t* format, const wchar_t* guidText) {
    wchar_t keyPath[kGameKeyPathCapacity];
    if (SUCCEEDED(FormatWide(keyPath, kGameKeyPathCapacity, format, guidText))) {
        SHDeleteKeyW(root, keyPath);
    }
}

}  // namespace

HRESULT RegisterGame(const wchar_t* executablePath, const wchar_t* installDirectory, int scope,
                     GUID* gameId) {
    if (executablePath == nullptr || installDirectory == nullptr || gameId == nullptr) {
        return E_INVALIDARG;
    }
    UniqueBstr binaryPath(SysAllocString(executablePath));
    UniqueBstr installPath(SysAllocString(installDirectory));
    if (!binaryPath || !installPath) {
        return E_OUTOFMEMORY;
    }

    ComInitialization com;
    ComPtr<IGameExplorer> gameExplorer;
    const HRESULT created = CoCreateInstance(CLSID_GameExplorer, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IGameExplorer, gameExplorer.PutVoid());
    if (SUCCEEDED(created) && gameExplorer) {
        return AddToGameExplorer(*gameExplorer.Get(), binaryPath.Get(), installPath.Get(), scope,
                                 gameId);
    }
    return RecordForUpgrade(executablePath, installDirectory, scope, gameId, created);
}

HRESULT UnregisterGame(const GUID& gameId) {
    ComInitialization com;
    ComPtr<IGameExplorer> gameExplorer;
    const HRESULT created = CoCreateInstance(CLSID_GameExplorer, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IGameExplorer, gameExplorer.PutVoid());
    if (SUCCEEDED(created) && gameExplorer) {
        return gameExplorer->RemoveGame(gameId);
    }

    // Removal takes no scope, so the game's key goes from both places.
    wchar_t guidText[CHARS_IN_GUID] = {};
    StringFromGUID2(gameId, guidText, CHARS_IN_GUID);
    DeleteGameKey(HKEY_CURRENT_USER, kCurrentUserGameKeyFormat, guidText);
    DeleteGameKey(HKEY_LOCAL_MACHINE, kAllUsersGameKeyFormat, guidText);
    return S_OK;
}
