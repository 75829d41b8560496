// Entry point on hosts without wmain: selects the user's locale, decodes the arguments as the
// host's text (host_text.h) and runs the same entry routine as on Windows.
#include <clocale>
#include <string>
#include <vector>

#include "cli/entry.h"
#include "text/host_text.h"

int main(int argc, char* argv[]) {
    std::setlocale(LC_CTYPE, "");
    std::vector<std::wstring> arguments;
    arguments.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(HostToWide(argv[i]));
    }
    std::vector<wchar_t*> pointers;
    for (std::wstring& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    return wmain(argc, pointers.data());
}
