#include "game_registration.h"

#include <cwchar>

#include "platform/com_initialization.h"
#include "platform/gameux.h"
#include "platform/owners.h"
#include "platform/win32_failure.h"
#include "registration/game_binary_check.h"
#include "registration/game_record_places.h"

namespace {

// The system reads the keys in the 64-bit view; a 32-bit build must not write them to (or look
// for them in) its own redirected copy below Wow6432Node.
constexpr REGSAM kWriteAccess = KEY_WRITE | KEY_WOW64_64KEY;

// *created (when given) tells whether the key is new.
LSTATUS OpenOrCreateKey(HKEY parent, const wchar_t* subKey, RegistryKey& key,
                        bool* created = nullptr) {
    DWORD disposition = 0;
    const LSTATUS status = RegCreateKeyExW(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           kWriteAccess, nullptr, key.Put(), &disposition);
    if (created != nullptr) {
        *created = status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    }
    return status;
}

// Stores text whole, however long, with its terminator.
LSTATUS WriteTextValue(HKEY key, const wchar_t* name, const wchar_t* text) {
    const auto byteCount = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), byteCount);
}

HRESULT AddToGameExplorer(IGameExplorer& gameExplorer, BSTR binaryPath, BSTR installDirectory,
                          int scope, const GUID& gameId) {
    BOOL hasAccess = FALSE;
    const HRESULT verified = gameExplorer.VerifyAccess(binaryPath, &hasAccess);
    if (FAILED(verified)) {
        return verified;
    }
    // A success code alone would make the caller report the game as added and write its tasks.
    if (!hasAccess) {
        return E_ACCESSDENIED;
    }
    // Game Explorer keeps an instance GUID it is given; what it writes back is not asked for.
    GUID instanceId = gameId;
    return gameExplorer.AddGame(binaryPath, installDirectory,
                                static_cast<GAME_INSTALL_SCOPE>(scope), &instanceId);
}

// Game Explorer reports a game it refuses only as a failure; what the loader finds wrong with the
// binary says why (a missing file, no definition), where it finds something.
HRESULT RefusalCause(const wchar_t* executablePath, HRESULT refusal) {
    const HRESULT binaryFault = CheckGameBinary(executablePath);
    return FAILED(binaryFault) ? binaryFault : refusal;
}

// Records the game in its scope's upgrade key. Fails with the registry's error when a key or
// either value cannot be written (the game would otherwise be reported as added and never be
// found): that, not Game Explorer's absence, is why the game was not added, and it says what to
// do (Access is denied: run elevated for all users).
HRESULT RecordForUpgrade(const wchar_t* executablePath, const wchar_t* installDirectory, int scope,
                         const GUID& gameId) {
    const GameRecordPlace upgradeKeys = UpgradeKeysOf(scope);
    RegistryKey parentKey;
    if (const LSTATUS opened =
            OpenOrCreateKey(upgradeKeys.root, upgradeKeys.parentKey.c_str(), parentKey);
        opened != ERROR_SUCCESS) {
        return HResultFromWin32Error(static_cast<DWORD>(opened));
    }
    wchar_t guidText[CHARS_IN_GUID] = {};
    StringFromGUID2(gameId, guidText, CHARS_IN_GUID);

    RegistryKey gameKey;
    bool created = false;
    LSTATUS status = OpenOrCreateKey(parentKey.Get(), guidText, gameKey, &created);
    if (status == ERROR_SUCCESS) {
        status = WriteTextValue(gameKey.Get(), upgradeKeys.pathValue, executablePath);
    }
    if (status == ERROR_SUCCESS) {
        status = WriteTextValue(gameKey.Get(), kUpgradeInstallPathValue, installDirectory);
    }
    if (status != ERROR_SUCCESS && created) {
        // A half-written record of a game reported as not added would still be found by its
        // path; the key this add made goes again. Whether that works changes nothing reported.
        gameKey.Reset();
        RegDeleteTreeW(parentKey.Get(), guidText);
    }
    return HRESULT_FROM_WIN32(status);
}

}  // namespace

HRESULT RegisterGame(const wchar_t* executablePath, const wchar_t* installDirectory, int scope,
                     const GUID& gameId) {
    // An empty path would register a game that nothing can start or find again; the all-zero
    // GUID would be overwritten by every other game registered under it.
    if (executablePath == nullptr || executablePath[0] == L'\0' || installDirectory == nullptr ||
        IsEqualGUID(gameId, GUID_NULL)) {
        return E_INVALIDARG;
    }
    // Wine's Game Explorer ends the process on a longer path, and Windows keeps no longer path
    // without the long-path opt-in, which neither Game Explorer nor a shortcut has.
    if (std::wcslen(executablePath) >= MAX_PATH) {
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    UniqueBstr binaryPath(SysAllocString(executablePath));
    UniqueBstr installPath(SysAllocString(installDirectory));
    if (!binaryPath || !installPath) {
        return E_OUTOFMEMORY;
    }

    ComInitialization com;
    ComPtr<IGameExplorer> gameExplorer;
    if (!CreateGameExplorer(gameExplorer)) {
        return RecordForUpgrade(executablePath, installDirectory, scope, gameId);
    }
    if (const HRESULT sized = CheckGameDefinitionSize(executablePath); FAILED(sized)) {
        return sized;
    }
    const HRESULT added =
        AddToGameExplorer(*gameExplorer.Get(), binaryPath.Get(), installPath.Get(), scope, gameId);
    return FAILED(added) ? RefusalCause(executablePath, added) : added;
}

bool CreateGameExplorer(ComPtr<IGameExplorer>& explorer) {
    const HRESULT created = CoCreateInstance(CLSID_GameExplorer, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IGameExplorer, explorer.PutVoid());
    // A success without an object would be used as one; it is treated as no Game Explorer.
    if (FAILED(created) || !explorer) {
        explorer.Reset();
        return false;
    }
    return true;
}

bool GameExplorerIsPresent() {
    ComInitialization com;
    ComPtr<IGameExplorer> gameExplorer;
    return CreateGameExplorer(gameExplorer);
}
