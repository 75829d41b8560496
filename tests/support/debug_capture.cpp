#include "support/debug_capture.h"

#include <cstring>
#include <ostream>

#include "output/debug_streams.h"

namespace {

std::vector<DebugLine> capturedLines;
std::vector<std::string> capturedRawLines;

void Capture(int channel, const char* line) {
    const std::size_t length = std::strlen(line);
    capturedRawLines.emplace_back(line, length + 1);
    std::string text(line, length);
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) {
        text.resize(text.size() - 2);
    }
    capturedLines.push_back({channel, text});
}

}  // namespace

DebugCapture::DebugCapture() {
    capturedLines.clear();
    capturedRawLines.clear();
    SetDebugLineObserverForTesting(&Capture);
}

DebugCapture::~DebugCapture() {
    SetDebugLineObserverForTesting(nullptr);
}

const std::vector<DebugLine>& DebugCapture::Lines() const {
    return capturedLines;
}

std::vector<std::string> DebugCapture::Channel(int channel) const {
    std::vector<std::string> texts;
    for (const DebugLine& line : capturedLines) {
        if (line.channel == channel) {
            texts.push_back(line.text);
        }
    }
    return texts;
}

const std::vector<std::string>& DebugCapture::RawLines() const {
    return capturedRawLines;
}

void PrintTo(const DebugLine& line, std::ostream* out) {
    *out << (line.channel == kDebugOut ? "DebugOut: " : "DebugErr: ") << line.text;
}
