#include "emulated/files/host_names.h"

#include <cstdint>

#include "text/case_folding.h"
#include "text/host_text.h"

namespace {

// The host's limit is 255 bytes; an atomic replacement writes a temporary file named after the
// file with a suffix of 17 bytes, and 32 leave that some room.
constexpr std::size_t kLongestPlainName = kMaxHostNameBytes - 32;
constexpr std::size_t kEscapedPrefixBytes = 200;
// A UTF-16 unit takes at most 4 bytes of host text (3 of UTF-8; 4 in GB 18030), so a name of
// fewer units than this has no spelling whose host text is longer than kLongestPlainName.
constexpr std::size_t kShortestEscapable = kLongestPlainName / 4 + 1;

std::uint64_t Fnv1a(std::wstring_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (wchar_t c : text) {
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (static_cast<std::uint32_t>(c) >> shift) & 0xFF;
            hash *= 0x100000001b3ULL;
        }
    }
    return hash;
}

// The text cut to at most count bytes, at the start of a UTF-8 character.
std::string CutAtCharacter(std::string text, std::size_t count) {
    if (text.size() <= count) {
        return text;
    }
    while (count > 0 && (static_cast<unsigned char>(text[count]) & 0xC0) == 0x80) {
        --count;
    }
    text.resize(count);
    return text;
}

}  // namespace

std::string EscapedHostName(std::wstring_view name) {
    const std::wstring folded = FoldedText(name);
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hash(16, '0');
    std::uint64_t value = Fnv1a(folded);
    for (std::size_t i = hash.size(); i-- > 0; value >>= 4) {
        hash[i] = kDigits[value & 0xF];
    }
    return CutAtCharacter(WideToHost(folded), kEscapedPrefixBytes) + "|" + hash;
}

std::string HostNameFor(std::wstring_view name) {
    std::string plain = WideToHost(name);
    return plain.size() <= kLongestPlainName ? plain : EscapedHostName(name);
}

bool MayBeEscaped(std::wstring_view name) {
    return name.size() >= kShortestEscapable;
}
