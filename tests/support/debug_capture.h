// Captures the lines that reach DebugSink while it is alive, for checking where each message
// line was routed.
#pragma once

#include <string>
#include <vector>

struct DebugLine {
    int channel;       // 0 DebugOut, 1 DebugErr
    std::string text;  // without its CR LF ending

    bool operator==(const DebugLine&) const = default;
};

class DebugCapture {
  public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    const std::vector<DebugLine>& Lines() const;
    // The texts of one channel's lines, in order.
    std::vector<std::string> Channel(int channel) const;
    // The raw bytes of every line as DebugSink received them, up to and including the zero byte.
    const std::vector<std::string>& RawLines() const;
};

// Channel numbers, named for readability in expectations.
inline constexpr int kDebugOut = 0;
inline constexpr int kDebugErr = 1;

// Prints a DebugLine in test failure messages.
void PrintTo(const DebugLine& line, std::ostream* out);
