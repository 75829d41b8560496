#include "game_task_lock.h"

#include <cstdint>
#include <cwctype>

#include "format_wide.h"
#include "output/debug_streams.h"
#include "output/message_line.h"
#include "platform/win32_failure.h"

namespace {

// "<namespace>\Brackenfold.GameTasks.{GUID}".
constexpr wchar_t kMutexNameFormat[] = L"%s\\Brackenfold.GameTasks.%s";
constexpr wchar_t kCurrentUserNamespace[] = L"Local";
constexpr wchar_t kAllUsersNamespace[] = L"Global";
// "Global\Brackenfold.GamePath.<16 hexadecimal digits>": a path lock serialises runs of both
// scopes, as a game's path names it whatever scope it is added for.
constexpr wchar_t kPathMutexPrefix[] = L"Global\\Brackenfold.GamePath.";

// FNV-1a over the path's UTF-16 units in upper case. Not a security boundary: a name that
// another process holds only costs the bounded wait.
std::uint64_t FoldedPathHash(const std::wstring& path) {
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (wchar_t c : path) {
        const auto unit = static_cast<std::uint64_t>(std::towupper(static_cast<std::wint_t>(c)));
        for (int shift = 0; shift < 32; shift += 8) {
            hash = (hash ^ ((unit >> shift) & 0xFF)) * 0x100000001B3ULL;
        }
    }
    return hash;
}

std::wstring PathMutexName(const std::wstring& fullPath) {
    std::wstring name = kPathMutexPrefix;
    const std::uint64_t hash = FoldedPathHash(fullPath);
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += L"0123456789ABCDEF"[(hash >> shift) & 0xF];
    }
    return name;
}

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
    if (SUCCEEDED(result_)) {
        Acquire(name, waitMilliseconds);
    }
}

GameTaskLock::GameTaskLock(const std::wstring& fullPath, DWORD waitMilliseconds) {
    Acquire(PathMutexName(fullPath).c_str(), waitMilliseconds);
}

void GameTaskLock::Acquire(const wchar_t* name, DWORD waitMilliseconds) {
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
        WriteLine(DebugOut(), "Waited ", waitMilliseconds, " ms for the lock ", name,
                  "; going on without it");
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
