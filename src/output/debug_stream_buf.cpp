#include "debug_stream_buf.h"

#include "debug_sink.h"

DebugStreamBuf::DebugStreamBuf(std::int32_t channel)
    : lineBuffer_(kInitialLineBufferSize, '\0'), channel_(channel) {
    // No put area is ever set, so every character reaches overflow one at a time.
}

DebugStreamBuf::int_type DebugStreamBuf::overflow(int_type ch) {
    const auto byte = static_cast<char>(ch & 0xFF);
    if (byte != '\r' && byte != '\n') {
        // Growing at size - 4 keeps room for the three bytes of a line ending.
        const auto size = static_cast<std::int64_t>(lineBuffer_.size());
        if (writePosition_ >= size - 4) {
            lineBuffer_.resize(lineBuffer_.size() * 2, '\0');
        }
        lineBuffer_[static_cast<std::size_t>(writePosition_)] = byte;
        ++writePosition_;
        return ch;
    }
    const auto position = static_cast<std::size_t>(writePosition_);
    lineBuffer_[position] = '\r';
    lineBuffer_[position + 1] = '\n';
    lineBuffer_[position + 2] = '\0';
    DebugSink(channel_, lineBuffer_.data());
    writePosition_ = 0;
    return ch;
}
