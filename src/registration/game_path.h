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

// S_OK and path made from typed. E_INVALIDARG for an empty path or one that the system cannot
// make full; HRESULT_FROM_WIN32(ERROR_INVALID_NAME) for a "\\?\" path that making it full would
// change (a "." or ".." name, a name ending in a dot or blank, an empty name, a "/"), which names
// another file than its tidied form; the failure of GetLongPathNameW when a short name in it
// cannot be resolved for another reason than a missing file or folder (the run cannot tell then
// which file it names). path is unchanged on failure.
HRESULT MakeGamePath(const std::wstring& typed, GamePath& path);

// The form of a path that a record holds: made full and long as MakeGamePath makes it, or the
// text as it is (and folded) when it cannot be made full.
GamePath RecordedGamePath(const std::wstring& recordedPath);

// Whether two paths name one game: their comparable forms are equal and, when both files exist,
// they are one file (the same volume and file index). Where names keep their letter case, two
// files whose paths differ only in case are two games; a path through a link is another spelling,
// so it names another game than the path the link leads to.
bool NameOneGame(const GamePath& a, const GamePath& b);

// Whether a record's path names game, whatever spelling it holds. An empty (or missing) path
// names no game.
bool RecordedPathNames(const std::wstring& recordedPath, const GamePath& game);
