// The security identifier of the user the program runs as, which names that user's keys in the
// registry (Game Explorer's records of games added for the current user, for one).
#pragma once

#include <string>

#include "platform_api.h"

// S_OK and the SID's text form ("S-1-5-21-...") in sid, taken from the process token; otherwise
// the failure of the call that stopped it, and sid unchanged.
HRESULT CurrentUserSid(std::wstring& sid);

// Whether the program runs as the system account (LocalSystem, "S-1-5-18"), as an MSI deferred
// action without impersonation does: its "current user" is no person, and a game registered for
// it would be seen by nobody. False when the SID cannot be had.
bool CurrentUserIsSystemAccount();
