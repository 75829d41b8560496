#include "emulated/gameux/game_definition.h"

#include <gtest/gtest.h>

#include <sstream>

#include "emulated/base/win32_codes.h"
#include "emulated/gameux/pe_resources.h"
#include "emulated_test_support.h"

namespace {

std::string Document(const std::string& gameAttributes, const std::string& children,
                     const std::string& root = "GameDefinitionFile") {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<" + root +
           " xmlns=\"urn:schemas-microsoft-com:GameDescription.v1\">\n  <GameDefinition " +
           gameAttributes + ">" + children + "</GameDefinition>\n</" + root + ">\n";
}

// ASCII text in UTF-16 (or UTF-32, with units of 4 bytes) after the bytes of mark, in big-endian
// byte order or little-endian.
std::string Utf16(const std::string& mark, const std::string& text, bool bigEndian,
                  std::size_t unitBytes = 2) {
    std::string bytes = mark;
    for (char c : text) {
        std::string unit(unitBytes, '\0');
        unit[bigEndian ? unitBytes - 1 : 0] = c;
        bytes += unit;
    }
    return bytes;
}

const std::string kId = "gameID=\"{CE65F153-02FC-41DD-A0DB-625FAD2F1EE5}\"";
const std::wstring kUpperId = L"{CE65F153-02FC-41DD-A0DB-625FAD2F1EE5}";

struct DocumentCase {
    const char* name;
    std::string document;
    HRESULT result;
    GameDefinition definition;  // when the result is S_OK
};

TEST(GameDefinitionTest, DocumentsAreReadAsTheXmlObjectModelReadsThem) {
    const DocumentCase cases[] = {
        {"UTF-8 without byte order mark",
         Document(kId, "<Name>N</Name><Description>D</Description>"),
         S_OK,
         {kUpperId, L"N", L"D"}},
        {"UTF-8 with byte order mark",
         "\xEF\xBB\xBF" + Document(kId, "<Name>N</Name>"),
         S_OK,
         {kUpperId, L"N", L"N"}},
        {"lower-case gameID, recorded in upper case",
         Document("gameID=\"{ce65f153-02fc-41dd-a0db-625fad2f1ee5}\"", "<Name>N</Name>"),
         S_OK,
         {kUpperId, L"N", L"N"}},
        {"text without blanks at its ends, CDATA joined",
         Document(kId,
                  "<Name>\n  Spaced  Out \n</Name><Description> a <![CDATA[b]]> c </Description>"),
         S_OK,
         {kUpperId, L"Spaced  Out", L"a b c"}},
        {"UTF-16 big-endian with byte order mark",
         Utf16("\xFE\xFF", Document(kId, "<Name>N</Name>"), true),
         S_OK,
         {kUpperId, L"N", L"N"}},
        {"UTF-16 without byte order mark, with declaration",
         Utf16("", Document(kId, "<Name>N</Name>"), false),
         S_OK,
         {kUpperId, L"N", L"N"}},
        {"UTF-16 without byte order mark or declaration",
         Utf16("", Document(kId, "<Name>N</Name>").substr(Document("", "").find('<', 1)), false),
         E_FAIL,
         {}},
        {"UTF-32 with byte order mark",
         Utf16(std::string("\xFF\xFE\0\0", 4), Document(kId, "<Name>N</Name>"), false, 4),
         E_FAIL,
         {}},
        {"ISO-8859-1 that its declaration names",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" +
             Document(kId, "<Name>Caf\xE9</Name>").substr(Document("", "").find('<', 1)),
         S_OK,
         {kUpperId, L"Caf\u00e9", L"Caf\u00e9"}},
        {"another root", Document(kId, "<Name>N</Name>", "Games"), E_FAIL, {}},
        {"no Name", Document(kId, "<Description>D</Description>"), E_FAIL, {}},
        {"blank Name", Document(kId, "<Name> \n </Name>"), E_FAIL, {}},
        {"Name that is not UTF-8", Document(kId, "<Name>\xF8\xF2\xDF\xDC</Name>"), E_FAIL, {}},
        {"gameID without braces",
         Document("gameID=\"CE65F153-02FC-41DD-A0DB-625FAD2F1EE5\"", "<Name>N</Name>"),
         CO_E_CLASSSTRING,
         {}},
        {"not XML", "GameDefinitionFile", E_FAIL, {}},
        {"Name and Description of 1,024 characters",
         Document(kId, "<Name>" + std::string(1024, 'N') + "</Name><Description>" +
                           std::string(1024, 'D') + "</Description>"),
         S_OK,
         {kUpperId, std::wstring(1024, L'N'), std::wstring(1024, L'D')}},
        {"Name of 1,025 characters",
         Document(kId, "<Name>" + std::string(1025, 'N') + "</Name>"),
         E_FAIL,
         {}},
        {"Description of 1,025 characters",
         Document(kId, "<Name>N</Name><Description>" + std::string(1025, 'D') + "</Description>"),
         E_FAIL,
         {}},
    };
    for (const DocumentCase& c : cases) {
        SCOPED_TRACE(c.name);
        GameDefinition definition;
        ASSERT_EQ(ParseGameDefinition(c.document, definition), c.result);
        if (c.result == S_OK) {
            EXPECT_EQ(definition.applicationId, c.definition.applicationId);
            EXPECT_EQ(definition.title, c.definition.title);
            EXPECT_EQ(definition.description, c.definition.description);
        }
    }
}

// Two seeds of the fuzz corpus (after its first byte) are games built by the Windows toolchain:
// a 32-bit executable and a 64-bit DLL that holds nothing but resources.
TEST(GameDefinitionTest, DefinitionIsFoundInPe32ExecutablesAndResourceOnlyDlls) {
    for (const char* seed : {"pe32_executable", "resource_only_dll"}) {
        SCOPED_TRACE(seed);
        std::istringstream binary(
            ReadBytes(std::string(BRACKENFOLD_FUZZ_CORPUS) + "/game_definition/" + seed).substr(1));
        GameDefinition definition;
        ASSERT_EQ(ReadGameDefinition(binary, definition), S_OK);
        EXPECT_EQ(definition.applicationId, kUpperId);
        EXPECT_EQ(definition.title, L"Brackenfold Demo Game");
    }
}

// The resource's size is the file's own claim: one larger than the limit is not read at all.
TEST(GameDefinitionTest, ResourceLargerThanTheLimitIsNotRead) {
    const std::string game =
        ReadBytes(std::string(BRACKENFOLD_FUZZ_CORPUS) + "/game_definition/pe32_executable")
            .substr(1);
    std::istringstream binary(game);
    const std::optional<std::string> whole =
        FindNamedResource(binary, u"DATA", u"__GDF_XML", UINT32_MAX).bytes;
    ASSERT_TRUE(whole.has_value());
    const auto size = static_cast<std::uint32_t>(whole->size());
    EXPECT_EQ(FindNamedResource(binary, u"DATA", u"__GDF_XML", size).bytes, whole);
    // Found all the same: only its bytes are not read.
    const ResourceLookup tooLarge = FindNamedResource(binary, u"DATA", u"__GDF_XML", size - 1);
    EXPECT_EQ(tooLarge.error, ERROR_SUCCESS);
    EXPECT_EQ(tooLarge.bytes, std::nullopt);
}

}  // namespace
