// The lock that serialises the runs changing one game's tasks. An add removes the scope's old
// tasks and then writes the new ones; two runs doing that at once could delete the folders the
// other just wrote and leave a mix of both. Each holds a named mutex per game GUID and scope
// ("Local\" for the current user, "Global\" for all users) from the removal to the last task.
// A run that names the game by its path alone first holds the lock of that path
// ("Global\...GamePath.<hash>"), from before the lookup that settles the GUID to its last
// change, so that two such runs do not both find no game and register it twice. Locks are taken
// in one order, so that no two runs wait on each other: the path's, then the current user's,
// then the all users' lock of the GUID.
#pragma once

#include <string>

#include "platform/gameux.h"
#include "platform/unique_handle.h"

// How long a run waits for the lock. Far longer than any add or delete holds it; a holder that
// keeps it longer is hung, or is some other process holding the name (GUIDs are public in
// installer scripts), and must not stop an installer or uninstaller for ever.
constexpr DWORD kGameTaskLockWaitMilliseconds = 30'000;

class GameTaskLock {
  public:
    // Waits until this run owns the lock of the game's tasks of scope (GIS_CURRENT_USER, or any
    // other for all users), or until waitMilliseconds have passed: then Result() is
    // HRESULT_FROM_WIN32(WAIT_TIMEOUT) and a diagnostic line says so.
    GameTaskLock(int scope, const GUID& gameId,
                 DWORD waitMilliseconds = kGameTaskLockWaitMilliseconds);
    // The same for the game named by fullPath, the full path it is (or is to be) registered
    // under. Case-insensitive as the system's paths are: the name carries a hash of the path in
    // upper case, since mutex names are case-sensitive and limited in length.
    explicit GameTaskLock(const std::wstring& fullPath,
                          DWORD waitMilliseconds = kGameTaskLockWaitMilliseconds);
    ~GameTaskLock();
    GameTaskLock(const GameTaskLock&) = delete;
    GameTaskLock& operator=(const GameTaskLock&) = delete;

    // S_OK when the lock is held; otherwise why it could not be had. The run then goes on
    // without it: an uninstaller must still remove the game when the lock cannot be made.
    HRESULT Result() const { return result_; }

  private:
    void Acquire(const wchar_t* name, DWORD waitMilliseconds);

    UniqueHandle mutex_;
    bool owned_ = false;
    HRESULT result_ = E_FAIL;
};
