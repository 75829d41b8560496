// How the wide values of message lines become narrow text: in which code page, and whether a line
// break inside a value is written escaped. The console's lines take the console's code page with
// each value as it is, unless a host that collects cout's and cerr's lines as text of its own
// (the MSI custom action) chose otherwise for its run; the diagnostic lines take their own.
#pragma once

#include <ostream>
#include <string>

#include "platform_api.h"

struct LineValueForm {
    UINT codePage;
    // A value's CR and LF written as the two characters \r and \n, so that a line collected by a
    // host stays one line even when a path holds a line break.
    bool lineBreaksEscaped;
};

// The form of the values of the lines stream carries: the diagnostic lines' code page for a
// diagnostic stream, the console lines' form (ConsoleLineValueForm) for any other.
LineValueForm LineValueFormOf(const std::ostream& stream);

// value as narrow text in form (a value that cannot be converted at all gives an empty string).
std::string LineValue(const std::wstring& value, LineValueForm form);

// While it lives, the values of the console's lines take form; afterwards the form before it is
// back. For the one thread that writes the lines.
class ConsoleLineValueForm {
  public:
    explicit ConsoleLineValueForm(LineValueForm form);
    ~ConsoleLineValueForm();
    ConsoleLineValueForm(const ConsoleLineValueForm&) = delete;
    ConsoleLineValueForm& operator=(const ConsoleLineValueForm&) = delete;

  private:
    LineValueForm saved_;
};
