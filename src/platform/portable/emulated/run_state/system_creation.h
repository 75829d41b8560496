// Creating the emulated system where it does not exist yet. Done once per run, when the system
// is opened, so that no query (a special folder, a registry read) has to create anything.
#pragma once

#include "emulated/location/system_location.h"
#include "platform_api.h"

// Creates what is missing of the system: its folders (drive C: with the targets of the special
// folders, the registry folder) and each hive file, a new HKEY_LOCAL_MACHINE with Game Explorer
// registered. What exists is left as it is. ERROR_SUCCESS; ERROR_ENVVAR_NOT_FOUND when the
// layout has no root (no environment variable gives the system a place); else the failure.
LONG CreateSystem(const SystemLayout& layout, const SystemUser& user);
