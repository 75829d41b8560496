#include "registered_game_lookup.h"

#include <algorithm>
#include <string>

#include "platform/gameux.h"
#include "registration/game_key_scan.h"
#include "registration/instance_lookup.h"

namespace {

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
        return kNoGameFound;
    }
    *gameId = found;
    return S_OK;
}

// WMI compares paths without regard to case and cannot tell which file a path names: its answer
// stands when one of the GUID's records names the game itself (or none can be read to say).
bool RecordsConfirm(const GamePath& path, const GUID& gameId) {
    const std::vector<GuidRecord> records = RecordsOfGuid(gameId);
    return records.empty() || std::any_of(records.begin(), records.end(), [&](const GuidRecord& r) {
               return RecordedPathNames(r.path, path);
           });
}

}  // namespace

HRESULT FindRegisteredGame(const GamePath& path, GUID* gameId, GameRecordPlace* place) {
    if (gameId == nullptr) {
        return E_INVALIDARG;
    }
    GUID fromWmi = GUID_NULL;
    if (SUCCEEDED(FromWmi(path.full.c_str(), &fromWmi)) && RecordsConfirm(path, fromWmi)) {
        *gameId = fromWmi;
        if (place != nullptr) {
            *place = GameRecordPlace{};
            place->throughWmi = true;
        }
        return S_OK;
    }
    // A place that cannot be read is skipped, but its failure says more than "not found".
    HRESULT firstFailure = S_OK;
    for (const GameRecordPlace& registryPlace : GameRecordPlaces()) {
        const HRESULT found =
            SUCCEEDED(registryPlace.availability)
                ? FindGameInKeys(registryPlace.root, registryPlace.parentKey.c_str(),
                                 registryPlace.pathValue, path, gameId)
                : registryPlace.availability;
        if (found == S_OK) {
            if (place != nullptr) {
                *place = registryPlace;
            }
            return S_OK;
        }
        if (FAILED(found) && SUCCEEDED(firstFailure)) {
            firstFailure = found;
        }
    }
    return FAILED(firstFailure) ? firstFailure : kNoGameFound;
}
