// Holds one named mutex for a Wine scenario: creates and owns the mutex named by its argument,
// prints "held" once it owns it, and keeps it until its standard input ends.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t* argv[]) {
    if (argc != 2) {
        std::fputs("usage: mutex_holder NAME\n", stderr);
        return 2;
    }
    HANDLE mutex = CreateMutexW(nullptr, TRUE, argv[1]);
    if (mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
        std::fprintf(stderr, "mutex not owned: error %lu\n", GetLastError());
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return 0;
}
