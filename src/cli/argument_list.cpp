#include "argument_list.h"

ArgumentList BuildArgumentList(int argc, const wchar_t* const* argv) {
    ArgumentList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    return arguments;
}
