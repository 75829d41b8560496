#include "game_task_lock.h"

#include "format_wide.h"
#include "platform/win32_failure.h"

namespace {

// "<namespace>\Brackenfold.GameTasks.{GUID}".
constexpr wchar_t kMutexNameFormat[] = L"%s\\Brackenfold.GameTasks.%s";
constexpr wchar_t kCurrentUserNamespace[] = L"Local";
constexpr wchar_t kAllUsersNamespace[] = L"Global";
// The longer namespace, the fixed part and a GUID, with room to spare.
constexpr std::size_t kMutexNameCapacity = 80;

}  // namespace

GameTaskLock::GameTaskLock(int scope, const GUID& gameId) {
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
    const DWORD waited = WaitForSingleObject(mutex_.Get(), INFINITE);
    owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    result_ = owned_ ? S_OK : LastErrorResult();
}

GameTaskLock::~GameTaskLock() {
    // Not examined: the handle is closed either way (by mutex_), which ends the ownership.
    if (owned_) {
        ReleaseMutex(mutex_.Get());
    }
}
