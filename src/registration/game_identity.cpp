// Which game a run means: whose records name a path, the GUID an add registers and what a delete
// removes. (The comparable path is game_path.cpp, the locks game_locks.cpp, every record the
// program can see registration_listing.cpp.)
#include "game_identity.h"

#include <algorithm>

#include "platform/com_initialization.h"
#include "platform/owners.h"
#include "registration/game_key_scan.h"
#include "registration/game_registration.h"
#include "registration/guid_text.h"
#include "registration/registered_game_lookup.h"
#include "registration/task_shortcuts.h"

namespace {

// ---- Whose record it is -----------------------------------------------------------------------

bool IsGameExplorerRecord(const GuidRecord& record) {
    return record.place.gameExplorerRecord;
}

// OwnRecordsNamePath of gameId's records about path.
bool RecordsNamePath(const std::vector<GuidRecord>& records, const GamePath& path,
                     bool gameExplorerPresent) {
    std::vector<RecordNaming> namings;
    for (const GuidRecord& record : records) {
        namings.push_back({IsGameExplorerRecord(record), RecordedPathNames(record.path, path)});
    }
    return OwnRecordsNamePath(namings, gameExplorerPresent);
}

// Whether the game that FindRegisteredGame found at place is the game of path: WMI found it (it
// answers from Game Explorer's own records), or its records name the path.
bool OwnsPath(const GamePath& path, const GUID& gameId, const GameRecordPlace& place) {
    return place.throughWmi ||
           RecordsNamePath(RecordsOfGuid(gameId), path, GameExplorerIsPresent());
}

// ---- Removing ---------------------------------------------------------------------------------

// A registration of one GUID found again after it was removed was not removed; a stale record
// goes alone, so one GUID may be found once in each of the four registry places the lookup reads
// before its last stale record is gone. A delete makes at most 64 removals.
constexpr std::ptrdiff_t kRemovalsPerGuid = 1;
constexpr std::ptrdiff_t kStaleRemovalsPerGuid = 4;
constexpr std::size_t kMaxRemovals = 64;

bool MayRemove(const std::vector<Removal>& done, const Removal& next) {
    const auto same = [&](const Removal& earlier) {
        return IsEqualGUID(earlier.gameId, next.gameId) &&
               earlier.staleRecord.has_value() == next.staleRecord.has_value();
    };
    return done.size() < kMaxRemovals &&
           std::count_if(done.begin(), done.end(), same) <
               (next.staleRecord ? kStaleRemovalsPerGuid : kRemovalsPerGuid);
}

// Game Explorer removes one record of a GUID per RemoveGame (Wine's takes the all users' one
// first): called while one of its records is left, at most once per scope and once more.
constexpr int kRemoveGameCalls = 3;

// What a removal of several records came to: S_OK when something was removed, S_FALSE when there
// was nothing, else the first failure (the later removals still attempted).
class RemovalTally {
  public:
    void Add(HRESULT removal) {
        if (FAILED(removal) && SUCCEEDED(firstFailure_)) {
            firstFailure_ = removal;
        }
        removedSomething_ = removedSomething_ || removal == S_OK;
    }
    HRESULT Result() const {
        return FAILED(firstFailure_) ? firstFailure_ : removedSomething_ ? S_OK : S_FALSE;
    }

  private:
    HRESULT firstFailure_ = S_OK;
    bool removedSomething_ = false;
};

// Whether place holds records of scope (GIS_CURRENT_USER, or any other scope for all users).
bool InScope(const GameRecordPlace& place, int scope) {
    return (place.scope == GIS_CURRENT_USER) == (scope == GIS_CURRENT_USER);
}

bool HasGameExplorerRecord(const GUID& gameId) {
    const std::vector<GuidRecord> records = RecordsOfGuid(gameId);
    return std::any_of(records.begin(), records.end(), IsGameExplorerRecord);
}

void RemoveThroughGameExplorer(IGameExplorer& gameExplorer, const GUID& gameId,
                               RemovalTally& tally) {
    for (int call = 0; call < kRemoveGameCalls; ++call) {
        const HRESULT removed = gameExplorer.RemoveGame(gameId);
        // A GUID it does not know is nothing (more) to remove.
        if (removed == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
            return;
        }
        tally.Add(removed);
        if (FAILED(removed) || !HasGameExplorerRecord(gameId)) {
            return;
        }
    }
}

}  // namespace

// ---- Whose record it is -----------------------------------------------------------------------

bool OwnRecordsNamePath(const std::vector<RecordNaming>& records, bool gameExplorerPresent) {
    const auto ofGameExplorer = [](const RecordNaming& r) { return r.gameExplorerRecord; };
    if (gameExplorerPresent && std::any_of(records.begin(), records.end(), ofGameExplorer)) {
        return std::any_of(records.begin(), records.end(), [](const RecordNaming& r) {
            return r.gameExplorerRecord && r.namesPath;
        });
    }
    return std::all_of(records.begin(), records.end(),
                       [](const RecordNaming& r) { return r.namesPath; });
}

// ---- The add ----------------------------------------------------------------------------------

HRESULT ChooseGameToAdd(const GamePath& path, const GUID& given, AddChoice& choice) {
    choice = AddChoice{};
    if (!IsEqualGUID(given, GUID_NULL)) {
        choice.gameId = given;
        choice.origin = GameOrigin::Given;
        return S_OK;
    }
    GUID found = GUID_NULL;
    GameRecordPlace place;
    if (SUCCEEDED(FindRegisteredGame(path, &found, &place))) {
        // A stale or planted record naming the path under another game's GUID must not hand this
        // game that GUID: its registration would overwrite the other game's.
        if (OwnsPath(path, found, place)) {
            choice.gameId = found;
            choice.origin = GameOrigin::RegisteredBefore;
            return S_OK;
        }
        choice.staleRecordOf = found;
    }
    // A new game's own GUID, made here rather than by Game Explorer, so that it is known (and
    // locked) before anything is registered.
    GUID created = GUID_NULL;
    if (const HRESULT made = CoCreateGuid(&created); FAILED(made)) {
        return made;
    }
    choice.gameId = created;
    return S_OK;
}

HRESULT LockAndChooseGameToAdd(const GamePath& path, const GUID& given, GameLocks& locks,
                               AddChoice& choice) {
    if (const HRESULT locked = locks.LockPath(path); FAILED(locked)) {
        return locked;
    }
    if (const HRESULT chosen = ChooseGameToAdd(path, given, choice); FAILED(chosen)) {
        return chosen;
    }
    return locks.LockGame(choice.gameId);
}

HRESULT ReplaceOtherRegistrations(const GamePath& path, int scope, const GUID& gameId,
                                  GameLocks& locks,
                                  const std::function<void(const GUID&, HRESULT)>& report) {
    const std::vector<GUID> others = OtherRegistrationsInScope(path, scope, gameId);
    for (const GUID& other : others) {
        const HRESULT locked = locks.LockGame(other);
        report(other, FAILED(locked) ? locked : RemoveScopeRegistration(other, scope));
    }
    return others.empty() ? S_OK : locks.LockGame(gameId);
}

std::vector<GUID> OtherRegistrationsInScope(const GamePath& path, int scope, const GUID& gameId) {
    std::vector<GUID> others;
    const bool gameExplorerPresent = GameExplorerIsPresent();
    for (const GameRecordPlace& place : GameRecordPlaces()) {
        std::vector<GUID> games;
        if (!InScope(place, scope) || FAILED(place.availability) ||
            FAILED(GameKeysBelow(place.root, place.parentKey.c_str(), games))) {
            continue;
        }
        for (const GUID& game : games) {
            const auto known = [&](const GUID& other) { return IsEqualGUID(other, game) != 0; };
            if (IsEqualGUID(game, gameId) || std::any_of(others.begin(), others.end(), known)) {
                continue;
            }
            const std::optional<GuidRecord> record = RecordOfGuid(place, game);
            // Another game's GUID whose own records name another file is a stale record: never
            // taken over, never removed by an add.
            if (record && RecordedPathNames(record->path, path) &&
                RecordsNamePath(RecordsOfGuid(game), path, gameExplorerPresent)) {
                others.push_back(game);
            }
        }
    }
    return others;
}

HRESULT RemoveScopeRegistration(const GUID& gameId, int scope) {
    const std::vector<GuidRecord> records = RecordsOfGuid(gameId);
    const bool otherScopeKeepsIt =
        std::any_of(records.begin(), records.end(),
                    [&](const GuidRecord& r) { return !InScope(r.place, scope); });
    if (!otherScopeKeepsIt) {
        // Nothing of the GUID stays: it goes as a delete takes it, tasks of both scopes and all.
        const HRESULT tasks = RemoveGameTasks(gameId);
        const HRESULT registration = RemoveEveryRegistration(gameId);
        return FAILED(tasks) ? tasks : registration;
    }
    // Game Explorer removes whichever record it takes first (Wine's the all users' one), so the
    // scope's records go by their keys and the other scope's registration stays whole.
    RemovalTally tally;
    tally.Add(RemoveScopeTasks(scope, gameId));
    for (const GameRecordPlace& place : GameRecordPlaces()) {
        if (InScope(place, scope)) {
            tally.Add(DeleteGameRecord(place, gameId));
        }
    }
    const std::vector<GuidRecord> left = RecordsOfGuid(gameId);
    const bool scopeRecordLeft = std::any_of(
        left.begin(), left.end(), [&](const GuidRecord& r) { return InScope(r.place, scope); });
    return SUCCEEDED(tally.Result()) && scopeRecordLeft ? kStillRegistered : tally.Result();
}

// ---- The delete -------------------------------------------------------------------------------

GameRemovals::GameRemovals(GamePath path, HRESULT pathMade, const GUID& gameId, GameLocks& locks)
    : path_(std::move(path)), pathMade_(pathMade), givenId_(gameId), locks_(locks) {
    // Another run naming this path waits until every registration found is removed, so that an
    // add cannot register the game between a lookup and the removal.
    pathLocked_ = SUCCEEDED(pathMade_) && SUCCEEDED(locks_.LockPath(path_));
}

Removal GameRemovals::Locked(Removal removal) {
    removal.locked = SUCCEEDED(locks_.LockGame(removal.gameId));
    done_.push_back(removal);
    return removal;
}

HRESULT GameRemovals::Next(Removal& next) {
    if (IsEqualGUID(givenId_, GUID_NULL)) {
        return NextByPath(next);
    }
    if (!done_.empty()) {
        return S_FALSE;
    }
    // A GUID with no record anywhere names nothing to remove but its task folders; the game is
    // then looked up by its path, as an uninstaller whose GUID differs from the one the game was
    // registered under still means to remove the game.
    const bool registeredNowhere = FindAnyRecordOf(givenId_) == S_FALSE;
    next = Locked(Removal{givenId_, std::nullopt, registeredNowhere});
    if (registeredNowhere) {
        givenId_ = GUID_NULL;
    }
    return S_OK;
}

HRESULT GameRemovals::NextByPath(Removal& next) {
    if (FAILED(pathMade_)) {
        return pathMade_;
    }
    GUID found = GUID_NULL;
    GameRecordPlace place;
    const HRESULT lookup = FindRegisteredGame(path_, &found, &place);
    if (lookup == kNoGameFound) {
        nothingFound_ = std::all_of(done_.begin(), done_.end(),
                                    [](const Removal& r) { return r.taskFoldersOnly; });
        return S_FALSE;
    }
    if (FAILED(lookup)) {
        return lookup;
    }
    Removal removal{found, std::nullopt};
    if (!OwnsPath(path_, found, place)) {
        removal.staleRecord = place;
    }
    if (!MayRemove(done_, removal)) {
        return kStillRegistered;
    }
    if (removal.staleRecord) {
        // The record goes alone; the GUID's lock is its own game's.
        done_.push_back(removal);
        next = removal;
        return S_OK;
    }
    next = Locked(removal);
    return S_OK;
}

HRESULT RemoveEveryRegistration(const GUID& gameId) {
    ComInitialization com;
    ComPtr<IGameExplorer> gameExplorer;
    const bool gameExplorerPresent = CreateGameExplorer(gameExplorer);
    RemovalTally tally;
    if (gameExplorerPresent) {
        // Game Explorer keeps more than its record; it removes all of it.
        RemoveThroughGameExplorer(*gameExplorer.Get(), gameId, tally);
    }
    const std::vector<GameRecordPlace> places = GameRecordPlaces();
    // Every place the lookup by path reads goes: the upgrade keys of both hives whether or not
    // Game Explorer is there (a key made while it was missing would be found for ever), and Game
    // Explorer's records themselves where it is gone (Windows 10 from 1803 left them).
    for (const GameRecordPlace& place : places) {
        if (!(place.gameExplorerRecord && gameExplorerPresent)) {
            tally.Add(DeleteGameRecord(place, gameId));
        }
    }
    if (SUCCEEDED(tally.Result()) && !RecordsOfGuid(gameId, places).empty()) {
        return kStillRegistered;
    }
    return tally.Result();
}
