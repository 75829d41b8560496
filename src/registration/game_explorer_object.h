// Game Explorer's object: the one place that asks the system for it, and so the one answer to
// whether this system has Game Explorer at all.
#pragma once

#include "platform/com_ptr.h"
#include "platform/gameux.h"

// Creates the object in explorer (COM must be initialised on the thread). False, explorer null,
// where it cannot be created: Game Explorer is missing (Windows 10 from version 1803, Wine
// without gameux) or broken, and the game goes to the upgrade keys instead.
bool CreateGameExplorer(ComPtr<IGameExplorer>& explorer);
