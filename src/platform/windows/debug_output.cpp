#include "platform/debug_output.h"

#include <string>

#include "platform_api.h"

void ShowDiagnosticLine(int /*channel*/, const char* line) {
    // The debugger shows wide text; the line is in the code page that the console lines use.
    const int size = MultiByteToWideChar(CP_THREAD_ACP, 0, line, -1, nullptr, 0);
    if (size <= 0) {
        OutputDebugStringA(line);
        return;
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, line, -1, wide.data(), size);
    OutputDebugStringW(wide.c_str());
}
