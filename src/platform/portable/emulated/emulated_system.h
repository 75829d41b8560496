// The emulated Windows system: the backend that lets the program do its whole job on a host
// without Windows, with real, persistent state in one folder (system_location.h): drives C: and
// Z:, a registry kept in registry editor files, Game Explorer with its WMI games namespace, and
// shell links saved as .lnk files, Internet shortcuts as .url files.
#pragma once

#include <filesystem>
#include <memory>

#include "emulated/files/emulated_files.h"
#include "emulated/files/file_identities.h"
#include "emulated/files/folder_listing.h"
#include "emulated/gameux/resource_modules.h"
#include "emulated/location/named_mutexes.h"
#include "emulated/registry/emulated_registry.h"
#include "emulated/run_state/emulated_machine.h"
#include "seam/system_backend.h"

class EmulatedSystem final : public SystemBackend {
  public:
    // The user's system, in the folder that the environment names.
    EmulatedSystem();
    // A system in systemFolder for user; an empty folder is a host that offers no place for it.
    EmulatedSystem(const std::filesystem::path& systemFolder, SystemUser user);

    // Every system call (seam/system_calls.def); what the emulated system does beyond the
    // Windows contract is said at each definition.
#define SYSTEM_CALL(Result, Name, Parameters, Arguments, Failure) Result Name Parameters override;
#define SYSTEM_RESOURCE_CALL SYSTEM_CALL
#include "seam/system_calls.def"
#undef SYSTEM_RESOURCE_CALL
#undef SYSTEM_CALL

    // Registry keys opened and not yet closed.
    std::size_t OpenKeyCount() const {
        return registry_.Handles().OpenCount();
    }
    // Folder listings begun and not yet closed.
    std::size_t OpenListingCount() const {
        return listings_.OpenCount();
    }

  private:
    std::shared_ptr<EmulatedMachine> machine_;
    EmulatedRegistry registry_;
    EmulatedFiles files_;
    FolderListings listings_;
    FileIdentities fileIdentities_;
    NamedMutexes mutexes_;
    ResourceModules modules_;
};
