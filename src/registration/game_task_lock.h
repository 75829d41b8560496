// The lock that serialises the runs changing one game's tasks. An add removes the scope's old
// tasks and then writes the new ones; two runs doing that at once could delete the folders the
// other just wrote and leave a mix of both. Each holds a named mutex per game GUID and scope
// ("Local\" for the current user, "Global\" for all users) from the removal to the last task.
#pragma once

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
    ~GameTaskLock();
    GameTaskLock(const GameTaskLock&) = delete;
    GameTaskLock& operator=(const GameTaskLock&) = delete;

    // S_OK when the lock is held; otherwise why it could not be had. The run then goes on
    // without it: an uninstaller must still remove the game when the lock cannot be made.
    HRESULT Result() const { return result_; }

  private:
    UniqueHandle mutex_;
    bool owned_ = false;
    HRESULT result_ = E_FAIL;
};
