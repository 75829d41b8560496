#include "msi_log_lines.h"

namespace {

constexpr std::string_view kFormattingCharacters = "[]{}";

std::string EscapedForFormatting(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char character : text) {
        if (kFormattingCharacters.find(character) == std::string_view::npos) {
            escaped += character;
        } else {
            escaped.append({'[', '\\', character, ']'});
        }
    }
    return escaped;
}

}  // namespace

std::optional<std::string> MsiLogLineFor(std::string_view consoleLine, bool formattedAgain) {
    if (consoleLine.empty()) {
        return std::nullopt;
    }
    std::string line(kMsiLogLinePrefix);
    line += consoleLine;
    return formattedAgain ? EscapedForFormatting(line) : line;
}
