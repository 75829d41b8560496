#include "command_line_arguments.h"

namespace {

bool IsBlank(wchar_t character) {
    return character == L' ' || character == L'\t';
}

// Reads one argument from text at position (which is no blank) up to the blank that ends it, or
// to the end; leaves position at that blank or at the end.
std::wstring NextArgument(std::wstring_view text, std::size_t& position) {
    std::wstring argument;
    bool quoted = false;
    while (position < text.size()) {
        std::size_t backslashes = 0;
        while (position < text.size() && text[position] == L'\\') {
            ++backslashes;
            ++position;
        }
        if (position < text.size() && text[position] == L'"') {
            argument.append(backslashes / 2, L'\\');
            if (backslashes % 2 == 1) {
                argument += L'"';
            } else if (quoted && position + 1 < text.size() && text[position + 1] == L'"') {
                argument += L'"';
                ++position;
            } else {
                quoted = !quoted;
            }
            ++position;
            continue;
        }
        argument.append(backslashes, L'\\');
        if (position == text.size() || (!quoted && IsBlank(text[position]))) {
            break;
        }
        argument += text[position];
        ++position;
    }
    return argument;
}

}  // namespace

std::vector<std::wstring> SplitCommandLineArguments(std::wstring_view text) {
    std::vector<std::wstring> arguments;
    std::size_t position = 0;
    for (;;) {
        while (position < text.size() && IsBlank(text[position])) {
            ++position;
        }
        if (position == text.size()) {
            return arguments;
        }
        arguments.push_back(NextArgument(text, position));
    }
}
