// The locks that keep runs naming one game apart: named mutexes, one for the game's path and one
// for its GUID, always taken in that order under one deadline for the whole run (a run that moves
// on to another GUID gives back the one it held first). A run waiting for a lock therefore holds
// at most a path lock that no holder of a GUID lock ever waits for, and no two runs can wait on
// each other. When each is taken is the identity's decision (game_identity.h).
#pragma once

#include <chrono>
#include <string>

#include "platform/owners.h"
#include "registration/game_path.h"

// The one deadline for every lock a run takes. Far longer than any add or delete holds a lock; a
// holder that keeps one longer is hung, or is another process holding the name (names follow
// from a public GUID and path), and must not stop an installer or uninstaller for ever.
inline constexpr DWORD kGameLockDeadlineMilliseconds = 30'000;

class GameLocks {
  public:
    explicit GameLocks(DWORD deadlineMilliseconds = kGameLockDeadlineMilliseconds);
    GameLocks(const GameLocks&) = delete;
    GameLocks& operator=(const GameLocks&) = delete;

    // Waits, within the time left, until this run owns the lock of the game at path. S_OK, or
    // HRESULT_FROM_WIN32(ERROR_TIMEOUT) when the deadline passed first, or why the lock could not
    // be made.
    HRESULT LockPath(const GamePath& path);
    // The same for the lock of gameId (one lock for both scopes), after giving back the GUID lock
    // held before, if any.
    HRESULT LockGame(const GUID& gameId);

  private:
    class NamedLock {
      public:
        HRESULT Acquire(const std::wstring& name, DWORD waitMilliseconds);
        void Release();
        ~NamedLock() { Release(); }

      private:
        UniqueHandle mutex_;
        bool owned_ = false;
    };

    DWORD MillisecondsLeft() const;

    std::chrono::steady_clock::time_point deadline_;
    NamedLock pathLock_;
    NamedLock gameLock_;
};
