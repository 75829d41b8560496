#include "emulated/registry/reg_file_format.h"

#include <gtest/gtest.h>

#include "emulated/base/utf16.h"

namespace {

constexpr const wchar_t* kHive = L"HKEY_LOCAL_MACHINE";

std::string Utf16Bytes(std::wstring_view text) {
    return "\xFF\xFE" + ToUtf16Le(text);
}

std::wstring AsText(const std::string& bytes) {
    return FromUtf16Le(std::string_view(bytes).substr(2));
}

// The line of a key that many levels below the hive root, each named k.
std::wstring DeepKeyLine(std::size_t levels) {
    std::wstring line = L"[HKEY_LOCAL_MACHINE";
    for (std::size_t level = 0; level < levels; ++level) {
        line += L"\\k";
    }
    return line + L"]\r\n";
}

TEST(RegFileFormatTest, WritesTheRegistryEditorsExportFormat) {
    RegistryNode root;
    CreateKeyPath(root, L"Software\\Game")
        .SetValue({L"Path", REG_SZ, StringValueData(L"C:\\a \"b\"")});
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
    RegistryNode& game = CreateKeyPath(root, L"Software\\Games\\{ABC}");
    game.SetValue({L"GDFBinaryPath", REG_SZ, StringValueData(L"C:\\Games\\\"q\"\\x.exe")});
    game.SetValue({L"GameInstallPath", REG_SZ, StringValueData(L"")});
    game.SetValue({L"", REG_SZ, StringValueData(L"default \U0001F3AE ü")});
    game.SetValue({L"Count", 4, {0x78, 0x56, 0x34, 0x12}});
    game.SetValue({L"Blob", 3, {0x00, 0xFF, 0x10}});
    game.SetValue({L"Lines", REG_SZ, StringValueData(L"one\r\ntwo")});
    game.SetValue({L"Expand", 2, StringValueData(L"%TEMP%")});
    // A name with line breaks must not split its line, or the hive could never be read again.
    game.SetValue({L"two\nline\r name", REG_SZ, StringValueData(L"x")});
    CreateKeyPath(root, L"Software\\Empty");

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

// Every type the format can hold, and what only hex() can write, reads back to the same bytes.
TEST(RegFileFormatTest, EveryValueTypeSurvivesARewriteByteForByte) {
    std::string bytes = Utf16Bytes(
        L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n\r\n"
        L"[HKEY_LOCAL_MACHINE\\Types]\r\n\"Custom\"=hex(12):01,02\r\n\"Big\"=hex(ffff0001):aa\r\n"
        L"\"None\"=hex(0):\r\n\"Expand\"=hex(2):25,00,00,00\r\n\"ShortDword\"=hex(4):01\r\n"
        L"\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n\"Dword\"=dword:0000002a\r\n\r\n");
    RegFileParse parsed = ParseRegFile(bytes, kHive);
    ASSERT_TRUE(parsed.root) << parsed.errorLine << ": " << parsed.error;
    EXPECT_EQ(AsText(WriteRegFile(*parsed.root, kHive)), AsText(bytes));
}

// At the registry's limits exactly; one more of each is in the table of bad files.
TEST(RegFileFormatTest, ReadsKeysAndNamesAtTheRegistrysLimits) {
    std::string bytes =
        Utf16Bytes(L"Windows Registry Editor Version 5.00\r\n\r\n" + DeepKeyLine(kMaxKeyDepth) +
                   L"[HKEY_LOCAL_MACHINE\\" + std::wstring(255, L'n') + L"]\r\n\"" +
                   std::wstring(16383, L'v') + L"\"=dword:00000001\r\n");
    RegFileParse parsed = ParseRegFile(bytes, kHive);
    ASSERT_TRUE(parsed.root) << parsed.errorLine << ": " << parsed.error;
    EXPECT_NE(FindKey(*parsed.root, std::vector<std::wstring>(kMaxKeyDepth, L"k")), nullptr);
    const RegistryNode* named = parsed.root->Find(std::wstring(255, L'n'));
    ASSERT_NE(named, nullptr);
    EXPECT_NE(named->FindValue(std::wstring(16383, L'v')), nullptr);
}

TEST(RegistryTreeTest, DeepTreeIsReleasedWithoutRecursion) {
    auto root = std::make_unique<RegistryNode>();
    RegistryNode* node = root.get();
    for (int level = 0; level < 200000; ++level) {
        bool created = false;
        node = &node->Create(L"k", created);
    }
    root.reset();  // a recursive release overflows the stack long before this depth
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
        L"03,04\n\"Multi\"=hex(7):41,00,00,00,00,00\n; only value data goes on after \\\n"
        L"[HKEY_LOCAL_MACHINE\\Kept]\n");
    RegFileParse parsed = ParseRegFile(bytes, kHive);
    ASSERT_TRUE(parsed.root) << parsed.error;
    const RegistryNode* key = parsed.root->Find(L"K");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->FindValue(L"Bin")->data, (std::vector<BYTE>{1, 2, 3, 4}));
    EXPECT_EQ(key->FindValue(L"Multi")->type, 7u);
    EXPECT_NE(parsed.root->Find(L"Kept"), nullptr);
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
    {"KeyDeeperThanTheRegistryAllows", Utf16Bytes(kHeader + DeepKeyLine(kMaxKeyDepth + 1)), 3},
    {"KeyNameLongerThanTheRegistryAllows",
     Utf16Bytes(kHeader + L"[HKEY_LOCAL_MACHINE\\" + std::wstring(256, L'n') + L"]\r\n"), 3},
    {"ValueNameLongerThanTheRegistryAllows",
     Utf16Bytes(kHeader + L"[HKEY_LOCAL_MACHINE\\A]\r\n\"" + std::wstring(16384, L'v') +
                L"\"=dword:00000001\r\n"),
     4},
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
