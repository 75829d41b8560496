#include "output/to_narrow.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

// Runs a test under a named locale, restoring the previous one afterwards.
class LocaleScope {
  public:
    explicit LocaleScope(const char* name) : previous_(std::setlocale(LC_CTYPE, nullptr)) {
        ok_ = std::setlocale(LC_CTYPE, name) != nullptr;
    }
    ~LocaleScope() { std::setlocale(LC_CTYPE, previous_.c_str()); }
    bool Ok() const { return ok_; }

  private:
    std::string previous_;
    bool ok_ = false;
};

TEST(ToNarrow, EmptyTextGivesEmptyString) {
    EXPECT_EQ(ToNarrow(L"", CP_THREAD_ACP), "");
}

TEST(ToNarrow, ShortTextAfterLongTextIsNotPaddedWithTheOldBytes) {
    EXPECT_EQ(ToNarrow(std::wstring(300, L'x'), CP_THREAD_ACP), std::string(300, 'x'));
    EXPECT_EQ(ToNarrow(L"abc", CP_THREAD_ACP), "abc");
}

TEST(ToNarrow, UnrepresentableCharactersBecomeTheDefaultCharacter) {
    LocaleScope locale("C");
    const std::wstring beyondUnicode = {L'a', static_cast<wchar_t>(0x110000), L'b'};
    EXPECT_EQ(ToNarrow(beyondUnicode, CP_THREAD_ACP), "a?b");
}

// The "C" locale names no encoding; its console text is UTF-8, like its arguments.
TEST(ToNarrow, MultibyteCodePageCountsBytesNotCharacters) {
    for (const char* name : {"C.UTF-8", "C"}) {
        LocaleScope locale(name);
        ASSERT_TRUE(locale.Ok());
        EXPECT_EQ(ToNarrow(L"\u00e9\u4e2d\U0001F3AE", CP_THREAD_ACP),
                  "\xc3\xa9\xe4\xb8\xad\xf0\x9f\x8e\xae")
            << name;
    }
}

TEST(ToNarrow, EscapedArgumentBytesConvertBackToThoseBytes) {
    LocaleScope locale("C.UTF-8");
    ASSERT_TRUE(locale.Ok());
    const std::wstring text = {L'a', static_cast<wchar_t>(0xDCFF), static_cast<wchar_t>(0xDC80)};
    EXPECT_EQ(ToNarrow(text, CP_THREAD_ACP), "a\xff\x80");
}

TEST(ToNarrow, TextIsCutAtAnEmbeddedZero) {
    EXPECT_EQ(ToNarrow(std::wstring(L"ab\0cd", 5), CP_THREAD_ACP), "ab");
}

TEST(ToNarrow, UnknownCodePageGivesEmptyString) {
    EXPECT_EQ(ToNarrow(L"abc", 12345), "");
}

}  // namespace
