// Until the emulated Windows system is built in, the program runs on a system without services.
#include "absent_system.h"

SystemBackend& DefaultSystem() {
    static AbsentSystem system;
    return system;
}
