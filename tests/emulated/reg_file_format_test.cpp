#include "reg_file_format.h"

#include <gtest/gtest.h>

#include "utf16.h"

namespace {

constexpr const wchar_t* kHive = L"HKEY_LOCAL_MACHINE";

std::string Utf16Bytes(std::wstring_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : ToUtf16(text)) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::wstring AsText(const std::string& bytes) {
    std::u16string units;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return FromUtf16(units);
}

RegistryNode& Key(RegistryNode& root, const std::wstring& path) {
    std::vector<std::wstring> names;
    SplitKeyPath(path, names);
    RegistryNode* node = &root;
    for (const std::wstring& name : names) {
        bool created = false;
        node = &node->Create(name, created);
    }
    return *node;
}

TEST(RegFileFormatTest, WritesTheRegistryEditorsExportFormat) {
    RegistryNode root;
    Key(root, L"Software\\Game").SetValue({L"Path", REG_SZ, StringValueData(L"C:\\a \"b\"")});
    std::string bytes = WriteRegFile(root, kHive);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(AsText(bytes),
              L"Windows Registry Editor Version 5.00\r\n\r\n"
              L"[HKEY_LOCAL_MACHINE]\r\n\r\n"
              L"[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"
              L"[HKEY_LOCAL_MACHINE\\Software\\Game]\r\n"
              L"\"Path\"=\"C:\\\\a \\\"b\\\"\"\r\n\r\n");
}

TEST(RegFileFormatTest, RoundTripKeepsKeysValuesOrderTypesAndEscapes) {
    RegistryNode root;
    RegistryNode& game = Key(root, L"Software\\Games\\{ABC}");
    game.SetValue({L"GDFBinaryPath", REG_SZ, StringValueData(L"C:\\Games\\\"q\"\\x.exe")});
    game.SetValue({L"GameInstallPath", REG_SZ, StringValueData(L"")});
    game.SetValue({L"", REG_SZ, StringValueData(L"default \U0001F3AE ü")});
    game.SetValue({L"Count", 4, {0x78, 0x56, 0x34, 0x12}});
    game.SetValue({L"Blob", 3, {0x00, 0xFF, 0x10}});
    game.SetValue({L"Lines", REG_SZ, StringValueData(L"one\r\ntwo")});
    game.SetValue({L"Expand", 2, StringValueData(L"%TEMP%")});
    // A name with line breaks must not split its line, or the hive could never be read again.
    game.SetValue({L"two\nline\r name", REG_SZ, StringValueData(L"x")});
    Key(root, L"Software\\Empty");

    std::string bytes = WriteRegFile(root, kHive);
    RegFileParse parsed = ParseRegFile(bytes, kHive);
    ASSERT_TRUE(parsed.root) << parsed.errorLine << ": " << parsed.error;
    EXPECT_EQ(WriteRegFile(*parsed.root, kHive), bytes);

    const RegistryNode* read = FindKey(*parsed.root, {L"SOFTWARE", L"games", L"{abc}"});
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->Values().size(), 8u);
    EXPECT_EQ(read->Values()[0].name, L"GDFBinaryPath");
    EXPECT_EQ(StringFromValueData(read->Values()[0].data), L"C:\\Games\\\"q\"\\x.exe");
    EXPECT_EQ(read->Values()[1].data, StringValueData(L""));
    EXPECT_EQ(StringFromValueData(read->FindValue(L"")->data), L"default \U0001F3AE ü");
    EXPECT_EQ(read->FindValue(L"count")->type, 4u);
    EXPECT_EQ(read->FindValue(L"Lines")->data, StringValueData(L"one\r\ntwo"));
    EXPECT_EQ(read->FindValue(L"Expand")->type, 2u);
    EXPECT_NE(read->FindValue(L"two\nline\r name"), nullptr);
    EXPECT_NE(FindKey(*parsed.root, {L"Software", L"Empty"}), nullptr);
}

TEST(RegFileFormatTest, KeyNamesCompareWithoutCaseAndKeepTheirFirstCase) {
    std::string bytes = Utf16Bytes(
        L"Windows Registry Editor Version 5.00\r\n\r\n"
        L"[HKEY_LOCAL_MACHINE\\Software\\GameUX]\r\n\"A\"=\"1\"\r\n\r\n"
        L"[hkey_local_machine\\SOFTWARE\\gameux]\r\n\"a\"=\"2\"\r\n\"B\"=dword:0000000a\r\n");
    RegFileParse parsed = ParseRegFile(bytes, kHive);
    ASSERT_TRUE(parsed.root) << parsed.error;
    ASSERT_EQ(parsed.root->Children().size(), 1u);
    const RegistryNode* key = FindKey(*parsed.root, {L"software", L"GAMEUX"});
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->Name(), L"GameUX");
    ASSERT_EQ(key->Values().size(), 2u);
    EXPECT_EQ(key->Values()[0].name, L"A");
    EXPECT_EQ(StringFromValueData(key->Values()[0].data), L"2");
}

TEST(RegFileFormatTest, ReadsLongHexDataContinuedOverLinesAndComments) {
    std::string bytes = Utf16Bytes(
        L"Windows Registry Editor Version 5.00\n\n; a comment\n"
        L"[HKEY_LOCAL_MACHINE\\K]\n\"Bin\"=hex:01,02,\\\n  "
        L"03,04\n\"Multi\"=hex(7):41,00,00,00,00,00\n");
    RegFileParse parsed = ParseRegFile(bytes, kHive);
    ASSERT_TRUE(parsed.root) << parsed.error;
    const RegistryNode* key = parsed.root->Find(L"K");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->FindValue(L"Bin")->data, (std::vector<BYTE>{1, 2, 3, 4}));
    EXPECT_EQ(key->FindValue(L"Multi")->type, 7u);
}

struct BadFileCase {
    const char* name;
    std::string bytes;
    std::size_t line;
};

const std::wstring kHeader = L"Windows Registry Editor Version 5.00\r\n\r\n";

const BadFileCase kBadFiles[] = {
    {"NoByteOrderMark", "Windows Registry Editor Version 5.00\r\n", 0},
    {"OddByteCount", Utf16Bytes(kHeader) + "x", 0},
    {"OlderFormatHeader", Utf16Bytes(L"REGEDIT4\r\n"), 1},
    {"KeyOfAnotherHive", Utf16Bytes(kHeader + L"[HKEY_CURRENT_USER\\X]\r\n"), 3},
    {"KeyWithoutClosingBracket", Utf16Bytes(kHeader + L"[HKEY_LOCAL_MACHINE\\X\r\n"), 3},
    {"KeyWithEmptyName", Utf16Bytes(kHeader + L"[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n"), 3},
    {"KeyDeletion", Utf16Bytes(kHeader + L"[-HKEY_LOCAL_MACHINE\\A]\r\n"), 3},
    {"ValueBeforeAnyKey", Utf16Bytes(kHeader + L"\"A\"=\"B\"\r\n"), 3},
    {"UnterminatedString", Utf16Bytes(kHeader + L"[HKEY_LOCAL_MACHINE\\A]\r\n\"A\"=\"C:\\\\x\r\n"),
     4},
    {"UnknownEscape", Utf16Bytes(kHeader + L"[HKEY_LOCAL_MACHINE\\A]\r\n\"A\"=\"\\q\"\r\n"), 4},
    {"BadDword", Utf16Bytes(kHeader + L"[HKEY_LOCAL_MACHINE\\A]\r\n\"A\"=dword:12345678 9\r\n"), 4},
    {"BadHexByte", Utf16Bytes(kHeader + L"[HKEY_LOCAL_MACHINE\\A]\r\n\"A\"=hex:1,zz\r\n"), 4},
    {"TextAfterString", Utf16Bytes(kHeader + L"[HKEY_LOCAL_MACHINE\\A]\r\n\"A\"=\"x\" y\r\n"), 4},
    {"GarbageLine", Utf16Bytes(kHeader + L"[HKEY_LOCAL_MACHINE\\A]\r\ngarbage\r\n"), 4},
};

class RegFileFormatBadFileTest : public testing::TestWithParam<BadFileCase> {};

TEST_P(RegFileFormatBadFileTest, IsRejectedWithTheLineOfTheFault) {
    RegFileParse parsed = ParseRegFile(GetParam().bytes, kHive);
    EXPECT_FALSE(parsed.root);
    EXPECT_FALSE(parsed.error.empty());
    EXPECT_EQ(parsed.errorLine, GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Files, RegFileFormatBadFileTest, testing::ValuesIn(kBadFiles),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
