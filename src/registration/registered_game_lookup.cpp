#include "registered_game_lookup.h"

#include <string>

#include "platform/gameux.h"
#include "registration/current_user_sid.h"
#include "registration/game_key_scan.h"
#include "registration/game_registry_keys.h"
#include "registration/instance_lookup.h"

namespace {

const HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

// The first place to look; its failure is not reported, as where the namespace is missing the
// registry's places say more.
HRESULT FromWmi(const wchar_t* executablePath, GUID* gameId) {
    GUID found = GUID_NULL;
    const HRESULT result = FindGameInstanceId(executablePath, &found);
    if (FAILED(result)) {
        return result;
    }
    // The all-zero GUID names no game: as good as nothing found.
    if (IsEqualGUID(found, GUID_NULL)) {
        return kNotFound;
    }
    *gameId = found;
    return S_OK;
}

HRESULT FromCurrentUserRecords(const wchar_t* executablePath, GUID* gameId) {
    std::wstring sid;
    if (HRESULT known = CurrentUserSid(sid); FAILED(known)) {
        return known;
    }
    const std::wstring key = std::wstring(kGameExplorerRecordsKey) + L"\\" + sid;
    return FindGameInKeys(HKEY_LOCAL_MACHINE, key.c_str(), kRecordBinaryPathValue, executablePath,
                          gameId);
}

HRESULT FromAllUsersRecords(const wchar_t* executablePath, GUID* gameId) {
    const std::wstring key = std::wstring(kGameExplorerRecordsKey) + L"\\" + kAllUsersRecordsName;
    return FindGameInKeys(HKEY_LOCAL_MACHINE, key.c_str(), kRecordBinaryPathValue, executablePath,
                          gameId);
}

HRESULT FromCurrentUserUpgradeKeys(const wchar_t* executablePath, GUID* gameId) {
    return FindGameInKeys(HKEY_CURRENT_USER, kCurrentUserUpgradeKey, kUpgradeBinaryPathValue,
                          executablePath, gameId);
}

HRESULT FromAllUsersUpgradeKeys(const wchar_t* executablePath, GUID* gameId) {
    return FindGameInKeys(HKEY_LOCAL_MACHINE, kAllUsersUpgradeKey, kUpgradeBinaryPathValue,
                          executablePath, gameId);
}

}  // namespace

HRESULT FindRegisteredGame(const wchar_t* executablePath, GUID* gameId) {
    if (executablePath == nullptr || gameId == nullptr) {
        return E_INVALIDARG;
    }
    if (SUCCEEDED(FromWmi(executablePath, gameId))) {
        return S_OK;
    }
    using Place = HRESULT (*)(const wchar_t*, GUID*);
    constexpr Place kRegistryPlaces[] = {FromCurrentUserRecords, FromAllUsersRecords,
                                         FromCurrentUserUpgradeKeys, FromAllUsersUpgradeKeys};
    // A place that cannot be read is skipped, but its failure says more than "not found".
    HRESULT firstFailure = S_OK;
    for (Place place : kRegistryPlaces) {
        const HRESULT found = place(executablePath, gameId);
        if (found == S_OK) {
            return S_OK;
        }
        if (FAILED(found) && SUCCEEDED(firstFailure)) {
            firstFailure = found;
        }
    }
    return FAILED(firstFailure) ? firstFailure : kNotFound;
}
