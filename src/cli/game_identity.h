// How the add command settles the GUID a game is registered under when none was given: a game
// registered before with the same path keeps its GUID, so that a repair, a reinstall or an
// upgrade replaces its registration and tasks instead of adding a second game.
#pragma once

#include <string>

#include "platform_api.h"

// When *gameId is GUID_NULL and a game is registered with fullPath, takes that game's GUID (and
// says so on DebugOut). Otherwise *gameId stays as it is.
void ReuseRegisteredGameId(const std::wstring& fullPath, GUID* gameId);

// After a successful registration: true when *gameId names the game, looking it up by fullPath
// when the registration left it all zero. False when no GUID can be had: no task may then be
// written or removed, as all of them would land under the all-zero GUID.
bool SettleRegisteredGameId(const std::wstring& fullPath, GUID* gameId);
