// Writes the program's banner and usage block, exactly as it prints them, as a JSON object
// {"banner": ..., "usage": ...}, so that the Python suites expect the program's own texts.
#include <cstdio>
#include <string>

#include "support/expected_output.h"

namespace {

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                json += "\\\"";
                break;
            case '\\':
                json += "\\\\";
                break;
            case '\n':
                json += "\\n";
                break;
            case '\t':
                json += "\\t";
                break;
            default:
                json += c;
        }
    }
    return json + "\"";
}

}  // namespace

int main() {
    const std::string json = "{\"banner\": " + JsonString(kExpectedBanner) +
                             ", \"usage\": " + JsonString(kExpectedUsage) + "}\n";
    return std::fputs(json.c_str(), stdout) < 0 ? 1 : 0;
}
