#include "support/reason_codes.h"

#include "output/program_texts.h"

namespace {

constexpr std::string_view kReasonStart = kReasonLineStart;
constexpr std::size_t kCodeLength = 10;  // "0x" and eight digits

}  // namespace

std::string WithReasonCodesOnly(const std::string& text) {
    std::string reduced;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, end - start);
        if (line.compare(0, kReasonStart.size(), kReasonStart) == 0) {
            const std::size_t code = line.rfind("0x");
            if (code != std::string::npos) {
                line = std::string(kReasonStart) + line.substr(code, kCodeLength) +
                       (line.back() == '\n' ? "\n" : "");
            }
        }
        reduced += line;
        start = end;
    }
    return reduced;
}

std::vector<std::string> WithReasonCodesOnly(std::vector<std::string> lines) {
    for (std::string& line : lines) {
        line = WithReasonCodesOnly(line);
    }
    return lines;
}

std::string ReasonCode(const std::string& code) {
    return std::string(kReasonStart) + code + "\n";
}

std::string ReasonLine(const std::string& message, const std::string& code) {
    return std::string(kReasonStart) + message + " (" + code + ")\n";
}

std::string ReasonWithoutMessageLine(const std::string& code) {
    return std::string(kReasonStart) + kReasonWithoutMessageText + code + "\n";
}
