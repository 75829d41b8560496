// The locks that keep runs naming one game apart: named mutexes, one per game path and one per
// game GUID, all waited for within one deadline per run.
#include "game_locks.h"

#include <cstdint>

#include "output/debug_streams.h"
#include "output/message_line.h"
#include "output/program_texts.h"
#include "platform/hex_digit.h"
#include "platform/win32_failure.h"
#include "registration/guid_text.h"

namespace {

// "Global\": a game's path or GUID names it for every user and both scopes.
constexpr wchar_t kPathLockPrefix[] = L"Global\\Brackenfold.GamePath.";
constexpr wchar_t kGameLockPrefix[] = L"Global\\Brackenfold.Game.";

// FNV-1a over the comparable path's UTF-16 units, as mutex names are limited in length. Not a
// security boundary: a name that another process holds only costs the bounded wait.
std::uint64_t PathHash(const std::wstring& comparablePath) {
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const wchar_t c : comparablePath) {
        const auto unit = static_cast<std::uint64_t>(static_cast<std::uint16_t>(c));
        for (int shift = 0; shift < 16; shift += 8) {
            hash = (hash ^ ((unit >> shift) & 0xFF)) * 0x100000001B3ULL;
        }
    }
    return hash;
}

std::wstring PathLockName(const std::wstring& comparablePath) {
    std::wstring name = kPathLockPrefix;
    const std::uint64_t hash = PathHash(comparablePath);
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += UpperHexDigit(hash >> shift);
    }
    return name;
}

const HRESULT kTimedOut = HRESULT_FROM_WIN32(ERROR_TIMEOUT);

}  // namespace

GameLocks::GameLocks(DWORD deadlineMilliseconds)
    : deadline_(std::chrono::steady_clock::now() +
                std::chrono::milliseconds(deadlineMilliseconds)) {}

DWORD GameLocks::MillisecondsLeft() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline_ - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
}

HRESULT GameLocks::LockPath(const GamePath& path) {
    return pathLock_.Acquire(PathLockName(path.comparable), MillisecondsLeft());
}

HRESULT GameLocks::LockGame(const GUID& gameId) {
    gameLock_.Release();
    return gameLock_.Acquire(kGameLockPrefix + BracedGuid(gameId), MillisecondsLeft());
}

HRESULT GameLocks::NamedLock::Acquire(const std::wstring& name, DWORD waitMilliseconds) {
    mutex_.Reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    if (!mutex_) {
        return LastErrorResult();
    }
    // An abandoned mutex is owned all the same: its last owner ended, so nothing else runs.
    const DWORD waited = WaitForSingleObject(mutex_.Get(), waitMilliseconds);
    owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    if (waited == WAIT_TIMEOUT) {
        // Said here, where the name is known, as well as in the caller's failure.
        WriteLine(DebugOut(), kLockText, name, kLockHeldElsewhereEnd);
        return kTimedOut;
    }
    return owned_ ? S_OK : LastErrorResult();
}

void GameLocks::NamedLock::Release() {
    // Not examined: the handle is closed either way, which ends the ownership.
    if (owned_) {
        ReleaseMutex(mutex_.Get());
        owned_ = false;
    }
    mutex_.Reset();
}
