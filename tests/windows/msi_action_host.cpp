// A stand-in for msiexec's custom action server: loads the MSI custom action DLL by path, opens an
// MSI as a package and calls RunBrackenfold once for each command line given, in one process, with
// that line as CustomActionData. Prints each line the action writes to the MSI log ("log: ...",
// non-ASCII characters as \uXXXX) and each call's result ("result: <n>").
// Usage: msi_action_host.exe DLL MSI COMMAND_LINE...
#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <cstdio>

namespace {

using CustomAction = UINT(__stdcall*)(MSIHANDLE);
constexpr int kFirstCommandLine = 3;
constexpr int kSetupFailure = 3;

void PrintEscaped(const wchar_t* text) {
    for (; *text != L'\0'; ++text) {
        if (*text < 0x80) {
            std::putchar(static_cast<char>(*text));
        } else {
            std::printf("\\u%04x", static_cast<unsigned>(*text));
        }
    }
}

// msiexec's external user interface sees every message the package processes; the log lines are
// the information messages.
int __stdcall PrintLogLine(void*, UINT type, LPCWSTR message) {
    if ((type & 0xFF000000U) == INSTALLMESSAGE_INFO && message != nullptr) {
        std::printf("log: ");
        PrintEscaped(message);
        std::printf("\n");
    }
    return 0;  // not handled here: the package goes on as it would
}

int Fail(const char* what, unsigned code) {
    std::printf("%s failed: %u\n", what, code);
    return kSetupFailure;
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    if (argc < kFirstCommandLine) {
        std::printf("Usage: msi_action_host.exe DLL MSI COMMAND_LINE...\n");
        return kSetupFailure;
    }
    HMODULE dll = LoadLibraryW(argv[1]);
    if (dll == nullptr) {
        return Fail("LoadLibraryW", GetLastError());
    }
    // Through void*: the entry point's real type is not FARPROC's.
    auto* action = reinterpret_cast<CustomAction>(
        reinterpret_cast<void*>(GetProcAddress(dll, "RunBrackenfold")));
    if (action == nullptr) {
        return Fail("GetProcAddress RunBrackenfold", GetLastError());
    }
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    MsiSetExternalUIW(PrintLogLine, INSTALLLOGMODE_INFO, nullptr);
    MSIHANDLE package = 0;
    const UINT opened = MsiOpenPackageW(argv[2], &package);
    if (opened != ERROR_SUCCESS) {
        return Fail("MsiOpenPackageW", opened);
    }
    for (int i = kFirstCommandLine; i < argc; ++i) {
        MsiSetPropertyW(package, L"CustomActionData", argv[i]);
        std::printf("result: %u\n", action(package));
        std::fflush(stdout);
    }
    MsiCloseHandle(package);
    FreeLibrary(dll);
    return 0;
}
