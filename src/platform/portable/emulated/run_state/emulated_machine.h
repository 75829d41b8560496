// The state that the emulated system's functions and COM objects share: where the system lives,
// its user, its drives and its registry. Opening it creates what is missing of the system, once.
// COM objects keep it alive while they exist.
#pragma once

#include <filesystem>

#include "emulated/files/drive_mapping.h"
#include "emulated/location/system_location.h"
#include "emulated/registry/registry_store.h"
#include "emulated/run_state/system_creation.h"

struct EmulatedMachine {
    EmulatedMachine(const std::filesystem::path& systemFolder, SystemUser systemUser)
        : layout{systemFolder},
          user(std::move(systemUser)),
          drives(systemFolder),
          state(CreateSystem(layout, user)),
          registry(layout, state) {}

    SystemLayout layout;
    SystemUser user;
    DriveMapping drives;
    // ERROR_SUCCESS when the system exists, else the failure to create it, which every
    // operation that needs the system then reports.
    LONG state;
    RegistryStore registry;
};
