// A game's path in the one form that every spelling of its file shares: what is registered, what
// locks are named from, and what every record is compared against.
//
// Every spelling of one file ("C:\Games\x.exe", "\\?\C:\Games\x.exe", "\\.\C:\Games\x.exe", the
// 8.3 "C:\GAMES~1\x.exe", any letter case) comes to one comparable form, the same in the program
// and in the MSI custom action, whatever the locale.
#pragma once

#include <string>

#include "platform_api.h"

struct GamePath {
    // Full, long where the file exists, without a "\\?\" or "\\.\" prefix: what is registered,
    // so that any later spelling finds the record after the game's files are gone.
    std::wstring full;
    // full in upper case by the invariant locale's table: what locks are named from and what
    // records are compared in.
    std::wstring comparable;
};

// S_OK and path made from typed; E_INVALIDARG for an empty path or one that the system cannot
// make full (path then unchanged).
HRESULT MakeGamePath(const std::wstring& typed, GamePath& path);

// The form of a path that a record holds: made full and long as MakeGamePath makes it, or the
// text as it is (and folded) when it cannot be made full.
GamePath RecordedGamePath(const std::wstring& recordedPath);

// Whether two paths name one game, whatever spelling each holds.
bool NameOneGame(const GamePath& a, const GamePath& b);

// Whether a record's path names game, whatever spelling it holds. An empty (or missing) path
// names no game.
bool RecordedPathNames(const std::wstring& recordedPath, const GamePath& game);
