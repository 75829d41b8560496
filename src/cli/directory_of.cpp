#include "directory_of.h"

namespace {

// "C:" alone means the current folder of drive C, and an empty text no folder at all: the
// separator after a drive or at the very start is part of the folder.
bool KeepsSeparator(const std::wstring& path, std::size_t separator) {
    return separator == 0 || (separator == 2 && path[1] == L':');
}

}  // namespace

std::wstring DirectoryOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        return std::wstring();
    }
    return path.substr(0, KeepsSeparator(path, separator) ? separator + 1 : separator);
}
