// New GUIDs for the emulated system, as CoCreateGuid makes them.
#pragma once

#include "platform_api.h"

// A random GUID of version 4 (random), variant 1, from the host's random source.
GUID NewRandomGuid();
