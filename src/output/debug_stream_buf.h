// Stream buffer of the diagnostic streams: gathers characters into lines and hands each completed
// line, with its channel, to DebugSink.
#pragma once

#include <cstdint>
#include <streambuf>
#include <vector>

class DebugStreamBuf : public std::streambuf {
  public:
    explicit DebugStreamBuf(std::int32_t channel);
    ~DebugStreamBuf() override = default;

  protected:
    // Stores one byte; a CR or LF completes the line instead. Always returns ch, so the stream
    // never fails through writing.
    int_type overflow(int_type ch) override;

  private:
    static constexpr std::size_t kInitialLineBufferSize = 1024;

    std::vector<char> lineBuffer_;
    std::int32_t writePosition_ = 0;
    std::int32_t channel_;
};
