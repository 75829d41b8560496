#include "to_narrow.h"

#include <cstring>
#include <vector>

namespace {

// One buffer for the whole process, created on the first non-empty conversion and released by
// the exit handlers; it only ever grows, so repeated lines of similar length allocate nothing.
std::vector<char>& ConversionBuffer() {
    static std::vector<char> buffer;
    return buffer;
}

}  // namespace

std::string ToNarrow(const std::wstring& text, UINT codePage) {
    if (text.empty()) {
        return std::string();
    }
    const int wideCount = static_cast<int>(text.size());
    const int n =
        WideCharToMultiByte(codePage, 0, text.data(), wideCount, nullptr, 0, nullptr, nullptr);
    std::vector<char>& buffer = ConversionBuffer();
    if (static_cast<long long>(buffer.size()) < static_cast<long long>(n) + 1) {
        buffer.resize(static_cast<std::size_t>(n) + 1);
    }
    buffer[static_cast<std::size_t>(n)] = '\0';
    // When the size request failed, n is 0 and this call writes nothing: the result is empty.
    WideCharToMultiByte(codePage, 0, text.data(), wideCount, buffer.data(), n, nullptr, nullptr);
    return std::string(buffer.data());
}
