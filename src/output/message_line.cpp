#include "message_line.h"

#include "debug_stream_buf.h"
#include "platform/debug_output.h"

UINT message_line_detail::CodePageOf(const std::ostream& stream) {
    if (dynamic_cast<const Utf8LineStreamBuf*>(stream.rdbuf()) != nullptr) {
        return CP_UTF8;
    }
    // Only the diagnostic streams write through a DebugStreamBuf.
    const bool diagnostic = dynamic_cast<const DebugStreamBuf*>(stream.rdbuf()) != nullptr;
    return diagnostic ? kDiagnosticLineCodePage : CP_THREAD_ACP;
}
