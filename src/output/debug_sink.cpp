#include "debug_sink.h"

#include "debug_sink_test_seam.h"
#include "platform/debug_output.h"

namespace {

DebugLineObserver observer = nullptr;

}  // namespace

void SetDebugLineObserverForTesting(DebugLineObserver newObserver) {
    observer = newObserver;
}

void DebugSink(int channel, const char* line) {
    if (observer != nullptr) {
        observer(channel, line);
    }
    ShowDiagnosticLine(channel, line);
}
