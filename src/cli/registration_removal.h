// Removing a game's registrations for the delete command: one GUID's task folders and
// registration, or every registration that a lookup finds for a path.
#pragma once

#include <string>

#include "platform_api.h"

// Removes the task folders of both scopes, then the registration, printing "<path> tasks
// removed." and "<path> removed." or their failure lines. True when the registration went.
bool RemoveRegistration(const std::wstring& printedPath, const GUID& gameId);

// Removes the registration found under firstFound, then looks up lookupPath again and removes
// what that finds, until a lookup finds nothing or a removal fails. A GUID is removed at most
// twice (once per scope) and a run removes at most 64 registrations: a registration found again
// after that was not removed, which is reported ("<path> not removed. Cannot remove").
void RemoveEveryRegistration(const std::wstring& printedPath, const std::wstring& lookupPath,
                             const GUID& firstFound);
