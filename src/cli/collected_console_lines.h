// The lines the program prints on std::cout and std::cerr, handed to a host that runs it
// in-process (the MSI custom action) instead of reaching a console.
#pragma once

#include <iostream>
#include <string>

#include "line_collecting_buf.h"
#include "output/line_value_form.h"
#include "platform_api.h"

// While it lives, every line written to std::cout or std::cerr goes to handler, and nowhere else,
// with its wide values in codePage (escaped as every console line's values are, so that each line
// the handler gets is one line the program wrote). Afterwards both streams have their buffers and
// states back, however the run ended.
class CollectedConsoleLines {
  public:
    CollectedConsoleLines(UINT codePage, const LineCollectingBuf::LineHandler& handler);
    ~CollectedConsoleLines();
    CollectedConsoleLines(const CollectedConsoleLines&) = delete;
    CollectedConsoleLines& operator=(const CollectedConsoleLines&) = delete;

    // Hands on a last line that lacked its line break.
    void Finish();

  private:
    LineCollectingBuf output_;
    LineCollectingBuf errors_;
    ConsoleLineCodePage codePage_;
    std::ios_base::iostate outputState_;
    std::ios_base::iostate errorState_;
    std::streambuf* savedOutput_;
    std::streambuf* savedErrors_;
};
