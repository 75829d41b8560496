#include "collected_console_lines.h"

CollectedConsoleLines::CollectedConsoleLines(UINT codePage,
                                             const LineCollectingBuf::LineHandler& handler)
    : output_(handler),
      errors_(handler),
      codePage_(codePage),
      outputState_(std::cout.rdstate()),
      errorState_(std::cerr.rdstate()),
      // Setting a buffer clears the stream's state: it was saved just before.
      savedOutput_(std::cout.rdbuf(&output_)),
      savedErrors_(std::cerr.rdbuf(&errors_)) {}

CollectedConsoleLines::~CollectedConsoleLines() {
    std::cout.rdbuf(savedOutput_);
    std::cerr.rdbuf(savedErrors_);
    std::cout.clear(outputState_);
    std::cerr.clear(errorState_);
}

void CollectedConsoleLines::Finish() {
    output_.Finish();
    errors_.Finish();
}
