// Every record the program can see: each read once, made comparable once, and judged stale or not
// among the records of its own GUID.
#include "registration_listing.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "registration/game_identity.h"
#include "registration/game_key_scan.h"
#include "registration/game_path.h"
#include "registration/game_record_places.h"
#include "registration/game_registration.h"
#include "registration/guid_text.h"

namespace {

// One record as read, with the form that it is compared in.
struct ReadRecord {
    GUID gameId = GUID_NULL;
    const GameRecordPlace* place = nullptr;
    std::wstring path;
    GamePath form;
};

// The games below place, in the order of their braced text.
std::vector<GUID> GamesInTextOrder(const GameRecordPlace& place) {
    std::vector<GUID> games;
    if (FAILED(place.availability) ||
        FAILED(GameKeysBelow(place.root, place.parentKey.c_str(), games))) {
        return {};
    }
    std::vector<std::pair<std::wstring, GUID>> named;
    named.reserve(games.size());
    for (const GUID& game : games) {
        named.emplace_back(BracedGuid(game), game);
    }
    std::sort(named.begin(), named.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < named.size(); ++i) {
        games[i] = named[i].second;
    }
    return games;
}

// Every record, place by place and each place's by GUID.
std::vector<ReadRecord> ReadEveryRecord(const std::vector<GameRecordPlace>& places) {
    std::vector<ReadRecord> records;
    for (const GameRecordPlace& place : places) {
        for (const GUID& game : GamesInTextOrder(place)) {
            if (std::optional<GuidRecord> record = RecordOfGuid(place, game)) {
                GamePath form = RecordedGamePath(record->path);
                records.push_back({game, &place, std::move(record->path), std::move(form)});
            }
        }
    }
    return records;
}

bool OrderedByGuid(const ReadRecord& a, const ReadRecord& b) {
    return std::memcmp(&a.gameId, &b.gameId, sizeof(GUID)) < 0;
}

// Whether the records of one GUID (group) name the path of record, one of them.
bool GroupNamesPathOf(const std::vector<const ReadRecord*>& group, const ReadRecord& record,
                      bool gameExplorerPresent) {
    std::vector<RecordNaming> namings;
    namings.reserve(group.size());
    for (const ReadRecord* other : group) {
        // An empty (or missing) path names no game.
        namings.push_back({other->place->gameExplorerRecord,
                           !other->path.empty() && NameOneGame(other->form, record.form)});
    }
    return OwnRecordsNamePath(namings, gameExplorerPresent);
}

// Whether each record is stale, in the order of records: grouped by GUID once.
std::vector<bool> StaleRecords(const std::vector<ReadRecord>& records, bool gameExplorerPresent) {
    std::vector<const ReadRecord*> byGuid;
    byGuid.reserve(records.size());
    for (const ReadRecord& record : records) {
        byGuid.push_back(&record);
    }
    std::stable_sort(byGuid.begin(), byGuid.end(), [](const ReadRecord* a, const ReadRecord* b) {
        return OrderedByGuid(*a, *b);
    });
    std::vector<bool> stale(records.size());
    for (auto first = byGuid.begin(); first != byGuid.end();) {
        const auto end = std::find_if(first, byGuid.end(), [&](const ReadRecord* r) {
            return !IsEqualGUID(r->gameId, (*first)->gameId);
        });
        const std::vector<const ReadRecord*> group(first, end);
        for (const ReadRecord* record : group) {
            stale[static_cast<std::size_t>(record - records.data())] =
                !GroupNamesPathOf(group, *record, gameExplorerPresent);
        }
        first = end;
    }
    return stale;
}

}  // namespace

std::vector<RegistrationRecord> ListRegistrations() {
    // The places, and with them the current user's SID, once for the whole listing.
    const std::vector<GameRecordPlace> places = GameRecordPlaces();
    const std::vector<ReadRecord> records = ReadEveryRecord(places);
    const std::vector<bool> stale = StaleRecords(records, GameExplorerIsPresent());
    std::vector<RegistrationRecord> list;
    list.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ReadRecord& record = records[i];
        list.push_back({record.gameId, record.place->scope, record.path,
                        record.place->gameExplorerRecord, stale[i]});
    }
    return list;
}
