#include "platform/debug_output.h"

#include <string>

#include "platform_api.h"

const UINT kDiagnosticLineCodePage = CP_UTF8;

void ShowDiagnosticLine(int /*channel*/, const char* line) {
    // The debugger shows wide text; UTF-8 gives back every character the line was written with.
    const int size = MultiByteToWideChar(kDiagnosticLineCodePage, 0, line, -1, nullptr, 0);
    if (size <= 0) {
        OutputDebugStringA(line);
        return;
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(kDiagnosticLineCodePage, 0, line, -1, wide.data(), size);
    OutputDebugStringW(wide.c_str());
}
