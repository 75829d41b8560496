#include "platform/debug_output.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kSwitch = "BRACKENFOLD_DEBUG";

// Read for every line, so that the setting is the environment's at the moment of writing.
bool Enabled() {
    const char* value = std::getenv(kSwitch);
    return value != nullptr && std::strcmp(value, "1") == 0;
}

}  // namespace

const UINT kDiagnosticLineCodePage = CP_THREAD_ACP;

void ShowDiagnosticLine(int channel, const char* line) {
    if (!Enabled()) {
        return;
    }
    std::string text = channel == 0 ? "debug: " : "debug error: ";
    std::size_t length = std::strlen(line);
    while (length > 0 && (line[length - 1] == '\r' || line[length - 1] == '\n')) {
        --length;
    }
    text.append(line, length);
    text.push_back('\n');
    // One write per line, so the line cannot be split by other output; standard error is not
    // buffered, so it appears at once, right after the console line it copies.
    std::fwrite(text.data(), 1, text.size(), stderr);
}
