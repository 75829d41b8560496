#include "registered_game_lookup.h"

#include <string>

#include "platform/gameux.h"
#include "registration/current_user_sid.h"
#include "registration/game_key_scan.h"
#include "registration/game_registry_keys.h"
#include "registration/instance_lookup.h"

namespace {

const HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

// What the places looked at so far came to: found, read without finding, or not read at all.
class LookupOutcome {
  public:
    // True once a place has found the game.
    bool Take(HRESULT placeResult) {
        if (SUCCEEDED(placeResult)) {
            anyRead_ = true;
        } else if (SUCCEEDED(firstFailure_)) {
            firstFailure_ = placeResult;
        }
        return placeResult == S_OK;
    }
    HRESULT NothingFound() const { return anyRead_ ? kNotFound : firstFailure_; }

  private:
    bool anyRead_ = false;
    HRESULT firstFailure_ = S_OK;
};

// The WMI lookup does not tell a namespace without the game from a missing namespace: a game it
// does not find counts as a place not read.
HRESULT FromWmi(const wchar_t* executablePath, GUID* gameId) {
    GUID found = GUID_NULL;
    if (FAILED(FindGameInstanceId(executablePath, &found)) || IsEqualGUID(found, GUID_NULL)) {
        return E_FAIL;
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
    using Place = HRESULT (*)(const wchar_t*, GUID*);
    constexpr Place kPlaces[] = {FromWmi, FromCurrentUserRecords, FromAllUsersRecords,
                                 FromCurrentUserUpgradeKeys, FromAllUsersUpgradeKeys};
    LookupOutcome outcome;
    for (Place place : kPlaces) {
        if (outcome.Take(place(executablePath, gameId))) {
            return S_OK;
        }
    }
    return outcome.NothingFound();
}
