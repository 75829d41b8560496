// Stream buffer that gathers what a stream writes into lines and hands each completed line to a
// handler: how a host that runs the program in-process (the MSI custom action) hears the lines
// that it prints on std::cout and std::cerr.
#pragma once

#include <functional>
#include <streambuf>
#include <string>

class LineCollectingBuf : public std::streambuf {
  public:
    // handler receives each line as the stream wrote it, without its line break.
    using LineHandler = std::function<void(const std::string& line)>;

    explicit LineCollectingBuf(LineHandler handler);

    // Hands on the text after the last line break, when there is any, as a line of its own.
    void Finish();

  protected:
    // Stores one byte; a line feed completes the line instead (a carriage return before it is
    // dropped). A failed allocation escapes to the stream, which then marks itself bad.
    int_type overflow(int_type ch) override;

  private:
    // Hands the line gathered so far to the handler (without a carriage return at its end).
    void DeliverLine();

    std::string line_;
    LineHandler handler_;
};
