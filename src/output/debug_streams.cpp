#include "debug_streams.h"

#include "debug_stream_buf.h"

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
