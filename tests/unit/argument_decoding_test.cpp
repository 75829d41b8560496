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

}  // namespace
