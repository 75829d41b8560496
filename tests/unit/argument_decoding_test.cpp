#include "cli/portable/argument_decoding.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

TEST(DecodeArgument, DecodesUtf8AndKeepsInvalidBytes) {
    std::string previous = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    EXPECT_EQ(DecodeArgument("caf\xc3\xa9"), L"caf\u00e9");
    // A stray byte, a cut sequence at the end: every byte stays, nothing after it is lost.
    const std::wstring decoded = DecodeArgument("a\xffz\xe4\xb8");
    EXPECT_EQ(decoded, (std::wstring{L'a', static_cast<wchar_t>(0xDCFF), L'z',
                                     static_cast<wchar_t>(0xDCE4), static_cast<wchar_t>(0xDCB8)}));
    std::setlocale(LC_CTYPE, previous.c_str());
}

TEST(DecodeArgument, KeepsTheBytesOfFormsBeyondUnicode) {
    std::string previous = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    // The C library decodes these to values above U+10FFFF, which UTF-16 cannot carry: a game
    // registered under such a path could never be found by that path again.
    for (const char* text : {"\xf4\x90\x80\x80", "\xf8\x88\x80\x80\x80"}) {
        const std::wstring decoded = DecodeArgument(text);
        ASSERT_EQ(decoded.size(), std::string(text).size());
        for (std::size_t i = 0; i < decoded.size(); ++i) {
            EXPECT_EQ(decoded[i], 0xDC00 + static_cast<unsigned char>(text[i]));
        }
    }
    std::setlocale(LC_CTYPE, previous.c_str());
}

}  // namespace
