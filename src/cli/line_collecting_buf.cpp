#include "line_collecting_buf.h"

#include <utility>

LineCollectingBuf::LineCollectingBuf(LineHandler handler) : handler_(std::move(handler)) {}

void LineCollectingBuf::Finish() {
    if (!line_.empty()) {
        DeliverLine();
    }
}

LineCollectingBuf::int_type LineCollectingBuf::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof())) {
        return traits_type::not_eof(ch);
    }
    const char character = traits_type::to_char_type(ch);
    if (character == '\n') {
        DeliverLine();
    } else {
        line_.push_back(character);
    }
    return ch;
}

void LineCollectingBuf::DeliverLine() {
    if (!line_.empty() && line_.back() == '\r') {
        line_.pop_back();
    }
    // The line is cleared even when the handler throws, so that it is never handed on twice.
    std::string line;
    line.swap(line_);
    handler_(line);
}
