// How the wide values of message lines become narrow text: in which code page, and whether the
// control characters inside a value are written escaped. The console's lines always escape them,
// in the console's code page, or in the one a host that collects cout's and cerr's lines as text
// of its own (the MSI custom action) chose for its run; the diagnostic lines take their own form.
#pragma once

#include <ostream>
#include <string>

#include "platform_api.h"

struct LineValueForm {
    UINT codePage;
    // A value's CR and LF written as the two characters \r and \n, every other C0 control
    // character and DEL as \xNN (two upper-case hex digits): a path, name or address read from
    // the system or a file can then neither start a line of its own nor send a terminal a
    // control sequence.
    bool controlCharactersEscaped;
};

// The form of the values of the lines stream carries: the diagnostic lines' code page for a
// diagnostic stream, the console lines' form (escaped, ConsoleLineCodePage) for any other.
LineValueForm LineValueFormOf(const std::ostream& stream);

// value as narrow text in form (a value that cannot be converted at all gives an empty string).
std::string LineValue(const std::wstring& value, LineValueForm form);

// While it lives, the values of the console's lines take codePage; afterwards the code page
// before it is back. For the one thread that writes the lines.
class ConsoleLineCodePage {
  public:
    explicit ConsoleLineCodePage(UINT codePage);
    ~ConsoleLineCodePage();
    ConsoleLineCodePage(const ConsoleLineCodePage&) = delete;
    ConsoleLineCodePage& operator=(const ConsoleLineCodePage&) = delete;

  private:
    UINT saved_;
};
