// The one narrow interface between the portable Windows API and whatever plays the system.
// Abstract so that it can be replaced in tests: the program runs on the emulated Windows system,
// unit tests on a double that wraps it, counting every call and failing any one. Each method has
// the signature and the failure results of the Windows operation of the same name: the methods
// are the entries of system_calls.def, where each says what it yields on failure.
#pragma once

#include "platform_api.h"

class SystemBackend {
  public:
    virtual ~SystemBackend() = default;

#define SYSTEM_CALL(Result, Name, Parameters, Arguments, Failure) \
    virtual Result Name Parameters = 0;
#define SYSTEM_RESOURCE_CALL SYSTEM_CALL
#include "seam/system_calls.def"
#undef SYSTEM_RESOURCE_CALL
#undef SYSTEM_CALL
};

// The backend that the portable API forwards to: the one installed last, else the emulated
// Windows system, on which the program runs. Defined above every room (current_system.cpp), since
// choosing the emulated system means knowing it.
SystemBackend& CurrentSystem();

// Installs backend for the calls that follow (null restores the emulated system). The caller
// keeps ownership and must keep it alive while it is installed.
void InstallSystemBackend(SystemBackend* backend);
