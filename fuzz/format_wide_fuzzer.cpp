// FormatWide with random formats (text, %s, %d, %%, stray %) and capacities, against a plain
// formatter of the same directives: the call never writes outside the destination (guard
// elements on both sides), refuses capacities of 0 and above the limit without touching
// anything, always leaves a terminated text of at most capacity - 1 characters that is a prefix
// of the full text, and says S_OK exactly when the whole text fitted.
#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "registration/format_wide.h"

namespace {

constexpr std::size_t kMaxValues = 6;  // directives that take a value, per format
constexpr std::size_t kGuard = 8;
constexpr wchar_t kGuardValue = 0x5A5A;
constexpr std::size_t kMaxFittingCapacity = 700;

enum class ValueKind { Text, Number };

struct FormatCase {
    std::wstring format;
    std::vector<ValueKind> kinds;
    std::vector<std::wstring> texts;
    std::vector<std::int32_t> numbers;
    std::wstring fullText;  // what a plain formatter produces, up to a failure
    bool formatFails = false;
};

// Reads the format and, for each directive that takes a value, the value; the format is cut
// before a directive that would need more than kMaxValues values.
FormatCase ReadCase(FuzzInput& input) {
    FormatCase c;
    const std::wstring raw = input.WideChunk();
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != L'%') {
            c.format.push_back(raw[i]);
            if (!c.formatFails) {
                c.fullText.push_back(raw[i]);
            }
            continue;
        }
        const wchar_t directive = i + 1 < raw.size() ? raw[i + 1] : L'\0';
        const bool takesValue = directive == L's' || directive == L'd';
        if (takesValue && c.kinds.size() == kMaxValues) {
            break;
        }
        c.format.push_back(L'%');
        if (directive == L'\0') {
            c.formatFails = true;
            break;
        }
        c.format.push_back(directive);
        ++i;
        if (c.formatFails) {
            continue;
        }
        if (directive == L's') {
            c.kinds.push_back(ValueKind::Text);
            c.texts.push_back(input.WideChunk());
            c.numbers.push_back(0);
            c.fullText += c.texts.back();
        } else if (directive == L'd') {
            c.kinds.push_back(ValueKind::Number);
            c.texts.emplace_back();
            c.numbers.push_back(static_cast<std::int32_t>(input.Uint32()));
            c.fullText += std::to_wstring(c.numbers.back());
        } else if (directive == L'%') {
            c.fullText.push_back(L'%');
        } else {
            c.formatFails = true;
        }
    }
    return c;
}

// Calls FormatWide with the case's values, each passed with the type its directive takes.
template <typename... Values>
HRESULT CallFormatWide(wchar_t* destination, std::size_t capacity, const FormatCase& c,
                       Values... values) {
    constexpr std::size_t given = sizeof...(Values);
    if constexpr (given == kMaxValues) {
        return FormatWide(destination, capacity, c.format.c_str(), values...);
    } else {
        if (given == c.kinds.size()) {
            return FormatWide(destination, capacity, c.format.c_str(), values...);
        }
        if (c.kinds[given] == ValueKind::Text) {
            return CallFormatWide(destination, capacity, c, values..., c.texts[given].c_str());
        }
        return CallFormatWide(destination, capacity, c, values..., c.numbers[given]);
    }
}

std::size_t ReadCapacity(FuzzInput& input) {
    const std::uint8_t selector = input.Byte();
    const std::size_t low = input.Byte();
    switch (selector) {
        case 0xFF:
            return kFormatWideMaxCapacity + 1;
        case 0xFE:
            return static_cast<std::size_t>(-1);
        default:
            return (selector * 256 + low) % kMaxFittingCapacity;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::size_t capacity = ReadCapacity(input);
    const FormatCase c = ReadCase(input);

    const bool refused = capacity == 0 || capacity > kFormatWideMaxCapacity;
    const std::size_t elements = refused ? 0 : capacity;
    std::vector<wchar_t> buffer(kGuard + elements + kGuard, kGuardValue);
    wchar_t* destination = buffer.data() + kGuard;

    const HRESULT result = CallFormatWide(destination, capacity, c);

    for (std::size_t i = 0; i < kGuard; ++i) {
        FUZZ_CHECK(buffer[i] == kGuardValue);
        FUZZ_CHECK(buffer[kGuard + elements + i] == kGuardValue);
    }
    if (refused) {
        FUZZ_CHECK(result == E_INVALIDARG);
        return 0;
    }
    const std::size_t limit = capacity - 1;
    const bool fits = !c.formatFails && c.fullText.size() <= limit;
    FUZZ_CHECK(result == (fits ? S_OK : kFormatWideTruncated));

    // Terminated within the capacity, and exactly the part of the full text that fits.
    const wchar_t* end = std::wmemchr(destination, L'\0', capacity);
    FUZZ_CHECK(end != nullptr);
    const std::wstring written(destination, static_cast<std::size_t>(end - destination));
    const std::size_t expectedLength = c.fullText.size() < limit ? c.fullText.size() : limit;
    FUZZ_CHECK(written == c.fullText.substr(0, expectedLength));
    return 0;
}
