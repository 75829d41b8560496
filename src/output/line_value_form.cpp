#include "line_value_form.h"

#include "debug_streams.h"
#include "platform/debug_output.h"
#include "to_narrow.h"

namespace {

constexpr LineValueForm kConsoleForm = {CP_THREAD_ACP, false};

LineValueForm consoleLineForm = kConsoleForm;

std::wstring WithLineBreaksEscaped(const std::wstring& value) {
    std::wstring escaped;
    escaped.reserve(value.size());
    for (const wchar_t character : value) {
        if (character == L'\r') {
            escaped += L"\\r";
        } else if (character == L'\n') {
            escaped += L"\\n";
        } else {
            escaped += character;
        }
    }
    return escaped;
}

}  // namespace

LineValueForm LineValueFormOf(const std::ostream& stream) {
    // Only the diagnostic streams write through a DebugStreamBuf; their buffer ends a line at a
    // CR or LF of its own, whatever the form.
    if (dynamic_cast<const DebugStreamBuf*>(stream.rdbuf()) != nullptr) {
        return {kDiagnosticLineCodePage, false};
    }
    return consoleLineForm;
}

std::string LineValue(const std::wstring& value, LineValueForm form) {
    return ToNarrow(form.lineBreaksEscaped ? WithLineBreaksEscaped(value) : value, form.codePage);
}

ConsoleLineValueForm::ConsoleLineValueForm(LineValueForm form) : saved_(consoleLineForm) {
    consoleLineForm = form;
}

ConsoleLineValueForm::~ConsoleLineValueForm() {
    consoleLineForm = saved_;
}
