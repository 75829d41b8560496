// The state that the emulated system's functions and COM objects share: where the system lives,
// its user, its drives and its registry. COM objects keep it alive while they exist.
#pragma once

#include <filesystem>

#include "drive_mapping.h"
#include "registry_store.h"
#include "system_location.h"

struct EmulatedMachine {
    EmulatedMachine(const std::filesystem::path& systemFolder, SystemUser systemUser)
        : layout{systemFolder},
          user(std::move(systemUser)),
          drives(systemFolder),
          registry(layout, user) {}

    SystemLayout layout;
    SystemUser user;
    DriveMapping drives;
    RegistryStore registry;
};
