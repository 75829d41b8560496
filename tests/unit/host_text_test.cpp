#include "text/host_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

wchar_t Escaped(unsigned char byte) {
    return static_cast<wchar_t>(0xDC00 + byte);
}

struct DecodingCase {
    const char* name;
    const char* locale;
    std::string bytes;
    std::wstring wide;
};

const DecodingCase kDecodingCases[] = {
    {"Utf8Locale", "C.UTF-8", "caf\xc3\xa9", L"caf\u00e9"},
    // The C locale names no encoding: its arguments and file names are UTF-8 in practice.
    {"CLocaleIsUtf8", "C", "caf\xc3\xa9 \xf0\x9f\x8e\xae", L"caf\u00e9 \U0001F3AE"},
    // A stray byte, a cut sequence at the end: every byte stays, nothing after it is lost.
    {"InvalidBytesAreKept",
     "C.UTF-8",
     "a\xffz\xe4\xb8",
     {L'a', Escaped(0xFF), L'z', Escaped(0xE4), Escaped(0xB8)}},
    {"InvalidBytesAreKeptInTheCLocale",
     "C",
     "a\xffz\xe4\xb8",
     {L'a', Escaped(0xFF), L'z', Escaped(0xE4), Escaped(0xB8)}},
    // Forms beyond U+10FFFF (which glibc decodes), encoded surrogates and overlong forms name
    // nothing that UTF-16 can carry: a game registered under such a path could never be found
    // by that path again.
    {"BeyondUnicode",
     "C.UTF-8",
     "\xf4\x90\x80\x80",
     {Escaped(0xF4), Escaped(0x90), Escaped(0x80), Escaped(0x80)}},
    {"OldFiveByteForm",
     "C.UTF-8",
     "\xf8\x88\x80\x80\x80",
     {Escaped(0xF8), Escaped(0x88), Escaped(0x80), Escaped(0x80), Escaped(0x80)}},
    {"EncodedSurrogateInTheCLocale",
     "C",
     "\xed\xa0\x80",
     {Escaped(0xED), Escaped(0xA0), Escaped(0x80)}},
    {"OverlongInTheCLocale", "C", "\xc0\xaf", {Escaped(0xC0), Escaped(0xAF)}},
};

class HostTextTest : public testing::TestWithParam<DecodingCase> {};

TEST_P(HostTextTest, DecodesAndEncodesBackTheSameBytes) {
    const DecodingCase& c = GetParam();
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, c.locale), nullptr);
    EXPECT_EQ(HostToWide(c.bytes), c.wide);
    EXPECT_EQ(WideToHost(c.wide), c.bytes);
    std::setlocale(LC_CTYPE, previous.c_str());
}

INSTANTIATE_TEST_SUITE_P(Cases, HostTextTest, testing::ValuesIn(kDecodingCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
