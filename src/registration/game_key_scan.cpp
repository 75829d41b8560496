#include "game_key_scan.h"

#include <string>
#include <vector>

#include "platform/owners.h"
#include "registration/game_path.h"
#include "registration/guid_text.h"

namespace {

// The records live in the 64-bit view; a 32-bit build must not look in its redirected copy.
constexpr REGSAM kReadAccess = KEY_READ | KEY_WOW64_64KEY;
// The longest key name the registry allows, and its terminator.
constexpr DWORD kKeyNameCapacity = 256;

// The text of a string value, without the terminator that the data may or may not carry.
bool ReadText(HKEY key, const wchar_t* valueName, std::wstring& text) {
    DWORD type = 0;
    DWORD byteCount = 0;
    if (RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &byteCount) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    // One character more than the data holds, zero, so that the text always ends.
    std::vector<wchar_t> characters(byteCount / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(characters.data()),
                         &byteCount) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    text = characters.data();
    return true;
}

}  // namespace

HRESULT FindGameInKeys(HKEY root, const wchar_t* parentKey, const wchar_t* pathValue,
                       const GamePath& path, GUID* gameId) {
    std::vector<GUID> games;
    if (const HRESULT listed = GameKeysBelow(root, parentKey, games); FAILED(listed)) {
        return listed;
    }
    for (const GUID& game : games) {
        const std::wstring key = std::wstring(parentKey) + L"\\" + BracedGuid(game);
        std::wstring recorded;
        if (SUCCEEDED(ReadGameKeyPath(root, key.c_str(), pathValue, recorded)) &&
            RecordedPathNames(recorded, path)) {
            *gameId = game;
            return S_OK;
        }
    }
    return S_FALSE;
}

HRESULT ReadGameKeyPath(HKEY root, const wchar_t* gameKey, const wchar_t* pathValue,
                        std::wstring& path) {
    RegistryKey game;
    if (const LSTATUS opened = RegOpenKeyExW(root, gameKey, 0, kReadAccess, game.Put());
        opened != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(opened);
    }
    if (!ReadText(game.Get(), pathValue, path)) {
        path.clear();
    }
    return S_OK;
}

HRESULT GameKeysBelow(HKEY root, const wchar_t* parentKey, std::vector<GUID>& games) {
    RegistryKey parent;
    const LSTATUS opened = RegOpenKeyExW(root, parentKey, 0, kReadAccess, parent.Put());
    if (opened == ERROR_FILE_NOT_FOUND) {
        return S_OK;
    }
    if (opened != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(opened);
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[kKeyNameCapacity];
        DWORD nameLength = kKeyNameCapacity;
        const LSTATUS listed = RegEnumKeyExW(parent.Get(), index, name, &nameLength, nullptr,
                                             nullptr, nullptr, nullptr);
        if (listed == ERROR_NO_MORE_ITEMS) {
            return S_OK;
        }
        if (listed == ERROR_MORE_DATA) {
            continue;  // too long to be a GUID
        }
        if (listed != ERROR_SUCCESS) {
            return index == 0 ? HRESULT_FROM_WIN32(listed) : S_OK;
        }
        // "{B}.bak", "{B} old" or "{B" is no name of game B.
        GUID found;
        if (ParseGameGuid(name, &found)) {
            games.push_back(found);
        }
    }
}
