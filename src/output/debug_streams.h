// The two diagnostic streams: DebugOut (channel 0, information) and DebugErr (channel 1, errors).
// Each gathers what is written into lines and shows every completed line where the system shows
// diagnostics (platform/debug_output.h).
#pragma once

#include <cstdint>
#include <ostream>
#include <streambuf>
#include <vector>

#include "platform_api.h"

// Each is created on first use and destroyed by the exit handlers; every call returns the same
// stream. For one writing thread only.
std::ostream& DebugOut();
std::ostream& DebugErr();

// Stream buffer of the diagnostic streams: gathers characters into lines and shows each
// completed line, with its channel.
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

// Test-only: lets a test observe the completed lines, each as its channel and its bytes ending in
// CR, LF and a zero byte (valid only during the call). The program never installs one.
using DebugLineObserver = void (*)(int channel, const char* line);

// Installs observer (null removes it).
void SetDebugLineObserverForTesting(DebugLineObserver observer);
