// Stream buffer that gathers what a stream writes into lines and hands each completed line to a
// handler: how the MSI custom action hears the lines that the program prints on std::cout and
// std::cerr. Its streams write their wide values in UTF-8 (Utf8LineStreamBuf).
#pragma once

#include <functional>
#include <string>

#include "output/debug_streams.h"

class LineCollectingBuf : public Utf8LineStreamBuf {
  public:
    // handler receives each line in UTF-8, without its line break.
    using LineHandler = std::function<void(const std::string& line)>;

    explicit LineCollectingBuf(LineHandler handler);

    // Hands on the text after the last line break, when there is any, as a line of its own.
    void Finish();

  protected:
    // Stores one byte; a line feed completes the line instead (a carriage return before it is
    // dropped). A failed allocation escapes to the stream, which then marks itself bad.
    int_type overflow(int_type ch) override;

  private:
    void HandOn();

    std::string line_;
    LineHandler handler_;
};
