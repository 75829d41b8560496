#include "game_key_scan.h"

#include <string>
#include <vector>

#include "platform/registry_key.h"
#include "registration/game_paths.h"
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

// The GUID that a subkey's name stands for, when it is exactly a braced one other than all zero:
// "{B}.bak", "{B} old" or "{B" is no name of game B.
bool GuidOfName(const wchar_t* name, GUID* gameId) {
    return IsExactBracedGuid(name) && SUCCEEDED(ParseGuid(name, gameId)) &&
           !IsEqualGUID(*gameId, GUID_NULL);
}

// Whether the open record names the game at comparablePath (ComparablePathOf), whatever spelling
// of that path the record holds.
bool ValueNamesPath(HKEY game, const wchar_t* pathValue, const std::wstring& comparablePath) {
    std::wstring recorded;
    return ReadText(game, pathValue, recorded) &&
           CompareStringOrdinal(ComparablePathOf(recorded).c_str(), -1, comparablePath.c_str(), -1,
                                TRUE) == CSTR_EQUAL;
}

bool RecordNamesPath(HKEY parent, const wchar_t* name, const wchar_t* pathValue,
                     const std::wstring& comparablePath) {
    RegistryKey game;
    return RegOpenKeyExW(parent, name, 0, kReadAccess, game.Put()) == ERROR_SUCCESS &&
           ValueNamesPath(game.Get(), pathValue, comparablePath);
}

}  // namespace

HRESULT FindGameInKeys(HKEY root, const wchar_t* parentKey, const wchar_t* pathValue,
                       const wchar_t* executablePath, GUID* gameId) {
    const std::wstring comparablePath = ComparablePathOf(executablePath);
    RegistryKey parent;
    const LSTATUS opened = RegOpenKeyExW(root, parentKey, 0, kReadAccess, parent.Put());
    if (opened == ERROR_FILE_NOT_FOUND) {
        return S_FALSE;
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
            return S_FALSE;
        }
        if (listed == ERROR_MORE_DATA) {
            continue;  // too long to be a GUID
        }
        if (listed != ERROR_SUCCESS) {
            // The keys listed so far were read; a list that cannot even be started was not.
            return index == 0 ? HRESULT_FROM_WIN32(listed) : S_FALSE;
        }
        GUID found;
        if (GuidOfName(name, &found) &&
            RecordNamesPath(parent.Get(), name, pathValue, comparablePath)) {
            *gameId = found;
            return S_OK;
        }
    }
}

HRESULT GameKeyNamesPath(HKEY root, const wchar_t* gameKey, const wchar_t* pathValue,
                         const wchar_t* executablePath) {
    RegistryKey game;
    if (const LSTATUS opened = RegOpenKeyExW(root, gameKey, 0, kReadAccess, game.Put());
        opened != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(opened);
    }
    return ValueNamesPath(game.Get(), pathValue, ComparablePathOf(executablePath)) ? S_OK : S_FALSE;
}
