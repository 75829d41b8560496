#include "registration/guid_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr GUID kExample = {
    0x9A5EA990, 0x3034, 0x4D6F, {0x91, 0x28, 0x01, 0xF3, 0xC6, 0x10, 0x22, 0xBC}};

std::wstring Braced(const GUID& guid) {
    wchar_t text[CHARS_IN_GUID] = {};
    EXPECT_EQ(StringFromGUID2(guid, text, CHARS_IN_GUID), CHARS_IN_GUID);
    return text;
}

struct ParseCase {
    const char* name;
    const wchar_t* text;
    HRESULT result;
    GUID guid;
};

const ParseCase kParseCases[] = {
    {"Braced", L"{9A5EA990-3034-4D6F-9128-01F3C61022BC}", S_OK, kExample},
    {"LowerCase", L"{9a5ea990-3034-4d6f-9128-01f3c61022bc}", S_OK, kExample},
    {"NoClosingBrace", L"{9A5EA990-3034-4D6F-9128-01F3C61022BC", S_OK, kExample},
    {"TextAfterBrace", L"{9A5EA990-3034-4D6F-9128-01F3C61022BC}xyz", S_OK, kExample},
    {"ShortGroups",
     L"{1-2-3-0405-060708090A0B}",
     S_OK,
     {1, 2, 3, {0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B}}},
    {"BlanksBeforeNumbers", L"{ 9A5EA990-\t3034-4D6F- 9128-01F3C61022BC}", S_OK, kExample},
    {"Unbraced", L"9a5ea990-3034-4d6f-9128-01f3c61022bc", E_FAIL, GUID_NULL},
    {"Empty", L"", E_FAIL, GUID_NULL},
    {"OnlyFourGroups", L"{9A5EA990-3034-4D6F-9128}", E_FAIL, GUID_NULL},
    {"NineDigitFirstGroup", L"{9A5EA9901-3034-4D6F-9128-01F3C61022BC}", E_FAIL, GUID_NULL},
    {"BlankBeforeBrace", L" {9A5EA990-3034-4D6F-9128-01F3C61022BC}", E_FAIL, GUID_NULL},
    {"BlankBeforeHyphen", L"{9A5EA990 -3034-4D6F-9128-01F3C61022BC}", E_FAIL, GUID_NULL},
    {"NotHexadecimal", L"{9A5EA99G-3034-4D6F-9128-01F3C61022BC}", E_FAIL, GUID_NULL},
    {"DigitRunEndsEarly",
     L"{9A5EA990-3034-4D6F-9128-01F3C61022BG}",
     S_OK,
     {0x9A5EA990, 0x3034, 0x4D6F, {0x91, 0x28, 0x01, 0xF3, 0xC6, 0x10, 0x22, 0x0B}}},
    {"LastGroupShort", L"{9A5EA990-3034-4D6F-9128-01F3C610}", E_FAIL, GUID_NULL},
};

class ParseGuidTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseGuidTest, YieldsResultAndGuid) {
    const ParseCase& c = GetParam();
    GUID guid = kExample;
    if (c.result != S_OK) {
        // A failure must clear what the scan may have stored before it stopped.
        guid = {0xFFFFFFFF, 0xFFFF, 0xFFFF, {1, 2, 3, 4, 5, 6, 7, 8}};
    }
    EXPECT_EQ(ParseGuid(c.text, &guid), c.result);
    EXPECT_EQ(std::memcmp(&guid, &c.guid, sizeof(GUID)), 0) << testing::PrintToString(Braced(guid));
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseGuidTest, testing::ValuesIn(kParseCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ParseGuid, BracedFormOfAnyGuidParsesBack) {
    const GUID samples[] = {GUID_NULL,
                            kExample,
                            {0xFFFFFFFF, 0xFFFF, 0xFFFF, {255, 255, 255, 255, 255, 255, 255, 255}},
                            {0x00000001, 0x0A00, 0x00B0, {0, 1, 0x10, 0xF0, 0x0F, 0, 0, 7}}};
    for (const GUID& sample : samples) {
        GUID parsed;
        ASSERT_EQ(ParseGuid(Braced(sample).c_str(), &parsed), S_OK);
        EXPECT_TRUE(IsEqualGUID(parsed, sample)) << testing::PrintToString(Braced(sample));
    }
}

TEST(GuidTextForms, BracedIsUpperCaseAndUnbracedLowerCase) {
    EXPECT_EQ(Braced(kExample), L"{9A5EA990-3034-4D6F-9128-01F3C61022BC}");
    EXPECT_EQ(Braced(GUID_NULL), L"{00000000-0000-0000-0000-000000000000}");

    RPC_CSTR text = nullptr;
    ASSERT_EQ(UuidToStringA(&kExample, &text), RPC_S_OK);
    EXPECT_STREQ(reinterpret_cast<const char*>(text), "9a5ea990-3034-4d6f-9128-01f3c61022bc");
    RpcStringFreeA(&text);
    EXPECT_EQ(text, nullptr);
}

TEST(GuidTextForms, StringFromGuid2RefusesCapacityBelow39) {
    wchar_t text[38] = {L'x'};
    EXPECT_EQ(StringFromGUID2(kExample, text, 38), 0);
    EXPECT_EQ(text[0], L'x');
}

TEST(GuidTextForms, IsEqualGuidComparesAllSixteenBytes) {
    GUID other = kExample;
    EXPECT_EQ(IsEqualGUID(other, kExample), 1);
    other.Data4[7] ^= 1;
    EXPECT_EQ(IsEqualGUID(other, kExample), 0);
}

}  // namespace
