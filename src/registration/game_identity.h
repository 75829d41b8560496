// A game's identity, decided here for the add and the delete alike, on top of the game's path and
// its records (game_path.h, game_record_places.h): whose records name a path, which GUID an add
// registers, what a delete removes and in which order, and when each lock is taken
// (game_locks.h). (Every record the program can see: registration_listing.h.)
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/gameux.h"
#include "platform/owners.h"
#include "registration/game_locks.h"
#include "registration/game_path.h"
#include "registration/game_record_places.h"

// ---- Whose record it is -----------------------------------------------------------------------

// One record of a GUID as the rule below sees it.
struct RecordNaming {
    bool gameExplorerRecord = false;  // else an upgrade key
    bool namesPath = false;           // its path names the path in question (RecordedPathNames)
};

// Whether a GUID's own records name a path, so that a run by that path may take the GUID. Where
// Game Explorer is present and keeps a record of the GUID, its records decide (only an
// administrator writes them): one of them must name the path. Otherwise every record of the GUID
// must (one in the current user's upgrade keys, which the user can write, must not steer an
// elevated uninstall to another game). A GUID with no record at all contradicts nothing.
bool OwnRecordsNamePath(const std::vector<RecordNaming>& records, bool gameExplorerPresent);

// ---- The add ----------------------------------------------------------------------------------

enum class GameOrigin {
    Given,             // -guid:
    RegisteredBefore,  // a record of the game's own names the path: a reinstall keeps its GUID
    New,               // none yet: a new GUID
};

struct AddChoice {
    GUID gameId = GUID_NULL;  // never GUID_NULL once chosen
    GameOrigin origin = GameOrigin::New;
    // A record naming the path under another game's GUID, which the add does not take over.
    std::optional<GUID> staleRecordOf;
};

// The one place that decides which GUID an add of path registers: the given one; else the GUID of
// a game whose own records name the path (so that a repair, reinstall or upgrade replaces its
// registration and tasks); else a new one (CoCreateGuid). S_OK and choice, or CoCreateGuid's
// failure. Changes nothing.
HRESULT ChooseGameToAdd(const GamePath& path, const GUID& given, AddChoice& choice);

// The add's locks and its choice, in the order every run takes locks: the path's lock, then the
// GUID is chosen (ChooseGameToAdd), then its lock is taken, which the add holds while it replaces
// the file's other registrations (ReplaceOtherRegistrations), registers the game and writes its
// tasks. Runs naming the game at the same time wait here, each until the other has written its
// tasks. S_OK, or why a lock could not be had in time or the GUID could not be made.
HRESULT LockAndChooseGameToAdd(const GamePath& path, const GUID& given, GameLocks& locks,
                               AddChoice& choice);

// The GUIDs other than gameId (GUID_NULL: any) whose own registration of scope (GIS_CURRENT_USER,
// or any other scope for all users) names the game at path: a record of that scope names the
// path, and the GUID's own records name it too (a stale record is another game's). A file has
// one registration per scope: an add under gameId replaces these. Reads, changes nothing.
std::vector<GUID> OtherRegistrationsInScope(const GamePath& path, int scope, const GUID& gameId);

// Removes gameId's registration of scope: that scope's task folders and records. A GUID with no
// record of the other scope goes whole, as a delete removes it; otherwise the scope's records go
// by their keys (Game Explorer cannot be told which scope's record to remove) and the other
// scope's registration stays. S_OK, S_FALSE when there was nothing, the first failure, or
// kStillRegistered when a record of the scope is still there.
HRESULT RemoveScopeRegistration(const GUID& gameId, int scope);

// A file has one registration per scope: removes every other GUID's registration of the game at
// path in scope (OtherRegistrationsInScope, RemoveScopeRegistration), each under its own GUID's
// lock, and tells report each GUID with the removal's result (or why its lock could not be had);
// then takes gameId's lock again. S_OK, or why gameId's lock could not be had again.
HRESULT ReplaceOtherRegistrations(const GamePath& path, int scope, const GUID& gameId,
                                  GameLocks& locks,
                                  const std::function<void(const GUID&, HRESULT)>& report);

// ---- The delete -------------------------------------------------------------------------------

// What a delete removes next.
struct Removal {
    GUID gameId = GUID_NULL;
    // Set for a record that names the path under a GUID whose own records name another path
    // (stale, or planted where the user can write): that record goes alone, and the GUID's
    // registration and tasks stay with the game they belong to.
    std::optional<GameRecordPlace> staleRecord;
    // The given GUID has no record in any place: only its task folders go, and the delete goes
    // on by the path.
    bool taskFoldersOnly = false;
    // Whether the run holds the GUID's lock: past the deadline a delete goes on without it.
    bool locked = true;
};

// The removals of one delete, in order, each under its locks. The path's lock is taken first
// (when the path could be made), then before each removal its GUID's lock: an add of the game
// waits until it is gone, or the delete waits for the add. A delete goes on without a lock it
// cannot have in time, as an uninstall must never be blocked for good. With a GUID that has a
// record: that GUID's registration. With one that has none anywhere: its task folders, then as
// without a GUID. Without a GUID: each registration the lookup by path finds, again after each
// removal, until it finds none.
class GameRemovals {
  public:
    // gameId GUID_NULL: by path. pathMade: MakeGamePath's result for path.
    GameRemovals(GamePath path, HRESULT pathMade, const GUID& gameId, GameLocks& locks);

    // Whether the run holds the path's lock.
    bool PathLocked() const { return pathLocked_; }
    // S_OK and the next removal. S_FALSE when nothing (more) is registered. Otherwise why the
    // delete cannot go on: the path's failure when it must be looked up by a path that could not
    // be made, the lookup's failure when it could not tell (a place that cannot be read), or
    // HRESULT_FROM_WIN32(ERROR_OBJECT_ALREADY_EXISTS) for a registration that is found again
    // beyond what its removals may take (a removal that does not take).
    HRESULT Next(Removal& next);
    // Whether the delete found nothing registered at all.
    bool NothingFound() const { return nothingFound_; }

  private:
    HRESULT NextByPath(Removal& next);
    Removal Locked(Removal removal);

    GamePath path_;
    HRESULT pathMade_;
    GUID givenId_;
    GameLocks& locks_;
    bool pathLocked_ = false;
    std::vector<Removal> done_;
    bool nothingFound_ = false;
};

// What a delete that finds a registration again after its removal, or a record left after
// RemoveEveryRegistration, reports: no call failed, so the reason names the state the removals
// left ("The object already exists.").
inline const HRESULT kStillRegistered = HRESULT_FROM_WIN32(ERROR_OBJECT_ALREADY_EXISTS);

// Removes every record of gameId, in both scopes and every place the lookup reads: through Game
// Explorer's RemoveGame where its object can be created (called again while a record of the
// GUID is left, as Game Explorer removes one per call), its record keys themselves where it
// cannot, and the upgrade keys of both hives either way. S_OK when something was removed and no
// record is left; S_FALSE when there was nothing; else the first failure, or
// HRESULT_FROM_WIN32(ERROR_OBJECT_ALREADY_EXISTS) when a record is still there.
HRESULT RemoveEveryRegistration(const GUID& gameId);
