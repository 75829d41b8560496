// The program runs on the emulated Windows system, kept in the user's data folder.
#include "emulated/emulated_system.h"

SystemBackend& DefaultSystem() {
    static EmulatedSystem system;
    return system;
}
