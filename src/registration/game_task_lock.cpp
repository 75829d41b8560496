#include "game_task_lock.h"

#include "format_wide.h"

namespace {

// "<namespace>\Brackenfold.GameTasks.{GUID}".
constexpr wchar_t kMutexNameFormat[] = L"%s\\Brackenfold.GameTasks.%s";
constexpr wchar_t kCurrentUserNamespace[] = L"Local";
constexpr wchar_t kAllUsersNamespace[] = L"Global";
// The longer namespace, the fixed part and a GUID, with room to spare.
constexpr std::size_t kMutexNameCapacity = 80;

HRESULT LastErrorResult() {
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(static_cast<LONG>(error));
}

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
    mutex_ = CreateMutexW(nullptr, FALSE, name);
    if (mutex_ == nullptr) {
        result_ = LastErrorResult();
        return;
    }
    // An abandoned mutex is owned all the same: its last owner ended, so nothing else runs.
    const DWORD waited = WaitForSingleObject(mutex_, INFINITE);
    owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    result_ = owned_ ? S_OK : LastErrorResult();
}

GameTaskLock::~GameTaskLock() {
    // Not examined: the handle goes either way, and closing it ends the ownership.
    if (owned_) {
        ReleaseMutex(mutex_);
    }
    if (mutex_ != nullptr) {
        CloseHandle(mutex_);
    }
}
