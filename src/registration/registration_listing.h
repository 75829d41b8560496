// Every record of every game that the program can see, as the lookup by path sees it, for -list.
#pragma once

#include <string>
#include <vector>

#include "platform/gameux.h"

struct RegistrationRecord {
    GUID gameId = GUID_NULL;
    int scope = GIS_ALL_USERS;
    std::wstring path;
    bool gameExplorerRecord = false;  // else an upgrade key
    // Its GUID's own records name another path: a lookup of this path never takes that GUID.
    bool stale = false;
};

// Every record of every game, place by place (Game Explorer's of the current user, then of all
// users, then the upgrade keys of the current user and of all users), each place's by GUID. A
// place that cannot be read is left out. Reads each record once and compares records within their
// GUID only, so its cost grows with the number of records, not with its square. Changes nothing.
std::vector<RegistrationRecord> ListRegistrations();
