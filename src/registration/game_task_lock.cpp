#include "game_task_lock.h"

#include "format_wide.h"
#include "output/debug_streams.h"
#include "output/message_line.h"
#include "platform/win32_failure.h"

namespace {

// "<namespace>\Brackenfold.GameTasks.{GUID}".
constexpr wchar_t kMutexNameFormat[] = L"%s\\Brackenfold.GameTasks.%s";
constexpr wchar_t kCurrentUserNamespace[] = L"Local";
constexpr wchar_t kAllUsersNamespace[] = L"Global";
// The longer namespace, the fixed part and a GUID, with room to spare.
constexpr std::size_t kMutexNameCapacity = 80;

}  // namespace

GameTaskLock::GameTaskLock(int scope, const GUID& gameId, DWORD waitMilliseconds) {
    wchar_t guidText[CHARS_IN_GUID];
    StringFromGUID2(gameId, guidText, CHARS_IN_GUID);
    wchar_t name[kMutexNameCapacity];
    result_ = FormatWide(name, kMutexNameCapacity, kMutexNameFormat,
                         scope == GIS_CURRENT_USER ? kCurrentUserNamespace : kAllUsersNamespace,
                         guidText);
    if (FAILED(result_)) {
        return;
    }
    mutex_.Reset(CreateMutexW(nullptr, FALSE, name));
    if (!mutex_) {
        result_ = LastErrorResult();
        return;
    }
    // An abandoned mutex is owned all the same: its last owner ended, so nothing else runs.
    const DWORD waited = WaitForSingleObject(mutex_.Get(), waitMilliseconds);
    owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    if (waited == WAIT_TIMEOUT) {
        // Said here, where the wait is known, rather than only as the caller's "without the lock".
        WriteLine(DebugOut(), "Waited ", waitMilliseconds, " ms for the lock ",
                  static_cast<const wchar_t*>(name), "; going on without it");
        result_ = HRESULT_FROM_WIN32(static_cast<LONG>(WAIT_TIMEOUT));
        return;
    }
    result_ = owned_ ? S_OK : LastErrorResult();
}

GameTaskLock::~GameTaskLock() {
    // Not examined: the handle is closed either way (by mutex_), which ends the ownership.
    if (owned_) {
        ReleaseMutex(mutex_.Get());
    }
}
