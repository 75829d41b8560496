// Which system the portable Windows API talks to: a backend that a test installed, else the
// emulated Windows system, kept in the user's data folder, on which the program runs. The only
// file that knows both the seam and the emulated system, so it sits above all the rooms.
#include "emulated/emulated_system.h"
#include "seam/system_backend.h"

namespace {

SystemBackend* installedBackend = nullptr;

// Opened by the first call that reaches the system, and closed by the exit handlers.
SystemBackend& EmulatedWindows() {
    static EmulatedSystem system;
    return system;
}

}  // namespace

SystemBackend& CurrentSystem() {
    return installedBackend != nullptr ? *installedBackend : EmulatedWindows();
}

void InstallSystemBackend(SystemBackend* backend) {
    installedBackend = backend;
}
