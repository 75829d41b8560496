// The emulated Game Explorer's reading of a game definition on random input: the first byte says
// whether the rest is a game's binary (the resource lookup, then the document) or the document
// alone. Properties: neither crashes, hangs or reads outside its input; a definition that is
// accepted has a braced upper-case gameID and a title.
#include <cstdint>
#include <sstream>
#include <string>

#include "emulated/gameux/game_definition.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

bool IsBracedUpperGuid(const std::wstring& text) {
    constexpr std::wstring_view kPattern = L"{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (text.size() != kPattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        const bool hex = (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F');
        if (kPattern[i] == L'X' ? !hex : c != kPattern[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const bool asBinary = (input.Byte() & 1) == 0;
    const std::string rest = input.Rest();

    GameDefinition definition;
    HRESULT hr = S_OK;
    if (asBinary) {
        std::istringstream binary(rest);
        hr = ReadGameDefinition(binary, definition);
    } else {
        hr = ParseGameDefinition(rest, definition);
    }
    if (hr == S_OK) {
        FUZZ_CHECK(IsBracedUpperGuid(definition.applicationId));
        FUZZ_CHECK(!definition.title.empty());
    } else {
        FUZZ_CHECK(FAILED(hr));
    }
    return 0;
}
