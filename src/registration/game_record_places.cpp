#include "game_record_places.h"

#include "platform/gameux.h"
#include "platform/owners.h"
#include "registration/current_user_sid.h"
#include "registration/game_key_scan.h"
#include "registration/guid_text.h"

namespace {

// The records live in the 64-bit view; a 32-bit build must not touch its redirected copy.
// Reading the parent is enough to delete a subkey tree below it.
constexpr REGSAM kDeleteParentAccess = KEY_READ | KEY_WOW64_64KEY;

GameRecordPlace CurrentUserRecords() {
    GameRecordPlace place{HKEY_LOCAL_MACHINE, kGameExplorerRecordsKey, kRecordBinaryPathValue, true,
                          GIS_CURRENT_USER};
    std::wstring sid;
    place.availability = CurrentUserSid(sid);
    place.parentKey += L"\\" + sid;
    return place;
}

}  // namespace

std::vector<GameRecordPlace> GameRecordPlaces() {
    return {
        CurrentUserRecords(),
        {HKEY_LOCAL_MACHINE, std::wstring(kGameExplorerRecordsKey) + L"\\" + kAllUsersRecordsName,
         kRecordBinaryPathValue, true, GIS_ALL_USERS},
        UpgradeKeysOf(GIS_CURRENT_USER),
        UpgradeKeysOf(GIS_ALL_USERS),
    };
}

GameRecordPlace UpgradeKeysOf(int scope) {
    if (scope == GIS_CURRENT_USER) {
        return {HKEY_CURRENT_USER, kCurrentUserUpgradeKey, kUpgradeBinaryPathValue, false,
                GIS_CURRENT_USER};
    }
    return {HKEY_LOCAL_MACHINE, kAllUsersUpgradeKey, kUpgradeBinaryPathValue, false, GIS_ALL_USERS};
}

std::optional<GuidRecord> RecordOfGuid(const GameRecordPlace& place, const GUID& gameId) {
    std::wstring path;
    const std::wstring key = place.parentKey + L"\\" + BracedGuid(gameId);
    if (FAILED(place.availability) ||
        FAILED(ReadGameKeyPath(place.root, key.c_str(), place.pathValue, path))) {
        return std::nullopt;
    }
    return GuidRecord{place, std::move(path)};
}

std::vector<GuidRecord> RecordsOfGuid(const GUID& gameId,
                                      const std::vector<GameRecordPlace>& places) {
    std::vector<GuidRecord> records;
    for (const GameRecordPlace& place : places) {
        // A record that is not there, or cannot be read, says nothing, as in the lookup; only an
        // administrator can make a record unreadable where it would hide another game.
        if (std::optional<GuidRecord> record = RecordOfGuid(place, gameId)) {
            records.push_back(std::move(*record));
        }
    }
    return records;
}

HRESULT FindAnyRecordOf(const GUID& gameId) {
    HRESULT result = S_FALSE;
    for (const GameRecordPlace& place : GameRecordPlaces()) {
        std::wstring path;
        const std::wstring key = place.parentKey + L"\\" + BracedGuid(gameId);
        const HRESULT read = SUCCEEDED(place.availability)
                                 ? ReadGameKeyPath(place.root, key.c_str(), place.pathValue, path)
                                 : place.availability;
        if (SUCCEEDED(read)) {
            return S_OK;
        }
        if (read != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) && result == S_FALSE) {
            result = read;
        }
    }
    return result;
}

HRESULT DeleteGameRecord(const GameRecordPlace& place, const GUID& gameId) {
    if (FAILED(place.availability)) {
        return place.availability;
    }
    // A place that cannot be read (a damaged hive) may hold the record: that is no success.
    RegistryKey parent;
    if (const LSTATUS opened = RegOpenKeyExW(place.root, place.parentKey.c_str(), 0,
                                             kDeleteParentAccess, parent.Put());
        opened != ERROR_SUCCESS) {
        return opened == ERROR_FILE_NOT_FOUND ? S_FALSE : HRESULT_FROM_WIN32(opened);
    }
    const LSTATUS status = RegDeleteTreeW(parent.Get(), BracedGuid(gameId).c_str());
    return status == ERROR_FILE_NOT_FOUND ? S_FALSE : HRESULT_FROM_WIN32(status);
}
