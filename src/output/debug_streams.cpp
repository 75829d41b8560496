#include "debug_streams.h"

#include "platform/debug_output.h"

namespace {

DebugLineObserver observer = nullptr;

// Where every completed line goes: to the test's observer when one is installed, and always to
// the system's diagnostics.
void ShowLine(int channel, const char* line) {
    if (observer != nullptr) {
        observer(channel, line);
    }
    ShowDiagnosticLine(channel, line);
}

}  // namespace

void SetDebugLineObserverForTesting(DebugLineObserver newObserver) {
    observer = newObserver;
}

DebugStreamBuf::DebugStreamBuf(std::int32_t channel)
    : lineBuffer_(kInitialLineBufferSize, '\0'), channel_(channel) {
    // No put area is ever set, so every character reaches overflow one at a time.
}

DebugStreamBuf::int_type DebugStreamBuf::overflow(int_type ch) {
    const auto character = static_cast<char>(ch & 0xFF);
    if (character != '\r' && character != '\n') {
        // Growing at size - 4 keeps room for the three bytes of a line ending.
        const auto size = static_cast<std::int64_t>(lineBuffer_.size());
        if (writePosition_ >= size - 4) {
            lineBuffer_.resize(lineBuffer_.size() * 2, '\0');
        }
        lineBuffer_[static_cast<std::size_t>(writePosition_)] = character;
        ++writePosition_;
        return ch;
    }
    const auto position = static_cast<std::size_t>(writePosition_);
    lineBuffer_[position] = '\r';
    lineBuffer_[position + 1] = '\n';
    lineBuffer_[position + 2] = '\0';
    ShowLine(channel_, lineBuffer_.data());
    writePosition_ = 0;
    return ch;
}

// Function-local statics give exactly the lifetime wanted: built on the first call (and tried
// again if construction throws), destroyed at exit in reverse order, stream before its buffer.

std::ostream& DebugOut() {
    static DebugStreamBuf buffer(0);
    static std::ostream stream(&buffer);
    return stream;
}

std::ostream& DebugErr() {
    static DebugStreamBuf buffer(1);
    static std::ostream stream(&buffer);
    return stream;
}
