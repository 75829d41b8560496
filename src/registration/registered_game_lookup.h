// Finding a registered game's instance GUID from its path, on every system: through WMI's games
// namespace where it exists, else in the registry where Game Explorer (Windows Vista and 7, Wine)
// keeps its records, else in the upgrade keys written where Game Explorer is missing.
#pragma once

#include "platform_api.h"
#include "registration/game_path.h"
#include "registration/game_record_places.h"
#include "registration/instance_lookup.h"

// Looks in this order, and the first place that names the path wins: WMI (FindGameInstanceId,
// asked for path.full); Game Explorer's records of the current user, then of all users; the
// upgrade keys of the current user, then of all users (each record compared in its comparable
// form with path.comparable). A place that cannot be read is skipped. S_OK with the GUID (never
// the all-zero one) in *gameId; when no place names the path, the failure of the first place in
// the registry that could not be read, else kNoGameFound. *gameId is
// written only on S_OK, and then *place (unless null) with the place that named the path (one
// without a root for WMI). Prints nothing.
HRESULT FindRegisteredGame(const GamePath& path, GUID* gameId, GameRecordPlace* place = nullptr);
