// ToNarrow on a run of random texts (so the shared conversion buffer grows and is reused), and
// DebugStreamBuf fed with the results and random line ends through the different ways an ostream
// writes. Properties: ToNarrow gives exactly the platform conversion up to its first zero byte,
// and in UTF-8 exactly the documented encoding; every line written reaches the sink whole, once,
// with its channel and CR LF NUL after it, and text after the last line end never does.
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "output/debug_streams.h"
#include "output/to_narrow.h"
#include "platform_api.h"
#include "text/host_text.h"
#include "text/utf8.h"

namespace {

struct SinkLine {
    int channel;
    std::string bytes;  // up to and including the zero byte
};

std::vector<SinkLine> sunk;

void Observe(int channel, const char* line) {
    sunk.push_back({channel, std::string(line, std::strlen(line) + 1)});
}

std::string PlatformConversion(const std::wstring& text, UINT codePage) {
    const int wideCount = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(codePage, 0, text.data(), wideCount, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), wideCount, bytes.data(), size, nullptr, nullptr);
    return bytes.substr(0, bytes.find('\0'));
}

// Reads the UTF-8 result back, character by character: undecodable argument bytes
// (U+DC80..U+DCFF) went out as those bytes, other surrogates as U+FFFD, values beyond Unicode as
// the default character "?", and everything else as its own UTF-8 form. The result ends at the
// first zero character.
bool IsUtf8Of(const std::wstring& text, std::string_view narrow) {
    for (wchar_t c : text) {
        std::uint32_t u;
        std::memcpy(&u, &c, sizeof u);
        if (u == 0) {
            break;
        }
        if (narrow.empty()) {
            return false;
        }
        if (IsEscapedByte(c) || u > kLastCodePoint) {
            if (narrow[0] != (IsEscapedByte(c) ? ByteOfEscape(c) : '?')) {
                return false;
            }
            narrow.remove_prefix(1);
            continue;
        }
        char32_t decoded = 0;
        const std::size_t used = DecodeUtf8(narrow, decoded);
        if (used == 0 || decoded != (IsSurrogate(u) ? 0xFFFD : u)) {
            return false;
        }
        narrow.remove_prefix(used);
    }
    return narrow.empty();
}

// Writes text through stream in the way selected, as message lines and library code do.
void WriteThrough(std::ostream& stream, const std::string& text, std::uint8_t way) {
    switch (way % 3) {
        case 0:
            stream << text;
            break;
        case 1:
            stream.write(text.data(), static_cast<std::streamsize>(text.size()));
            break;
        default:
            for (char c : text) {
                stream.put(c);
            }
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const int channel = input.Byte() & 1;
    sunk.clear();
    SetDebugLineObserverForTesting(&Observe);

    std::string written;  // every byte handed to the stream
    {
        DebugStreamBuf buffer(channel);
        std::ostream stream(&buffer);
        while (!input.Empty()) {
            const std::uint8_t how = input.Byte();
            const std::wstring text = input.WideChunk();
            const UINT codePage = (how & 1) != 0 ? CP_UTF8 : CP_THREAD_ACP;
            const std::string narrow = ToNarrow(text, codePage);
            FUZZ_CHECK(narrow == PlatformConversion(text, codePage));
            if (codePage == CP_UTF8) {
                FUZZ_CHECK(IsUtf8Of(text, narrow));
            }
            FUZZ_CHECK(stream.good());
            WriteThrough(stream, narrow, static_cast<std::uint8_t>(how >> 1));
            written += narrow;
            static const char* const kLineEnds[] = {"", "\n", "\r", "\r\n", "\n\n"};
            const char* lineEnd = kLineEnds[(how >> 3) % 5];
            if ((how & 0x80) != 0 && lineEnd[0] == '\n' && lineEnd[1] == '\0') {
                stream << std::endl;
            } else {
                stream << lineEnd;
            }
            written += lineEnd;
            FUZZ_CHECK(stream.good());
        }
    }
    SetDebugLineObserverForTesting(nullptr);

    // Every CR and every LF completes one line; what follows the last one is never delivered.
    std::vector<std::string> expected;
    std::string line;
    for (char c : written) {
        if (c == '\r' || c == '\n') {
            expected.push_back(line + "\r\n" + std::string(1, '\0'));
            line.clear();
        } else {
            line.push_back(c);
        }
    }
    FUZZ_CHECK(sunk.size() == expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        FUZZ_CHECK(sunk[i].channel == channel);
        FUZZ_CHECK(sunk[i].bytes == expected[i]);
    }
    return 0;
}
