#include "emulated/gameux/game_definition.h"

#include <optional>

#include <pugixml.hpp>

#include "emulated/base/utf16.h"
#include "emulated/base/win32_codes.h"
#include "emulated/gameux/pe_resources.h"
#include "platform/gameux.h"
#include "text/utf8.h"

namespace {

// A definition is a few kilobytes; a larger claim would have the whole of it read into memory.
constexpr std::uint32_t kMaxDefinitionSize = 1024 * 1024;
// Title and description are shown in a list and kept in the registry on every run.
constexpr std::size_t kMaxTextLength = 1024;

constexpr const char* kRootElement = "GameDefinitionFile";
constexpr const char* kGameElement = "GameDefinition";
constexpr const char* kGameIdAttribute = "gameID";
constexpr const char* kNameElement = "Name";
constexpr const char* kDescriptionElement = "Description";

constexpr std::string_view kGuidPattern = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
constexpr std::string_view kXmlWhitespace = " \t\r\n";

// The braced upper-case form of a GUID in its braced text form (either case), or nothing: the
// form that COM's string conversion accepts and no other.
std::optional<std::string> BracedUpperGuid(std::string_view text) {
    if (text.size() != kGuidPattern.size()) {
        return std::nullopt;
    }
    std::string upper(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (kGuidPattern[i] != 'X') {
            if (c != kGuidPattern[i]) {
                return std::nullopt;
            }
        } else if (c >= 'a' && c <= 'f') {
            upper[i] = static_cast<char>(c - 'a' + 'A');
        } else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return std::nullopt;
        }
    }
    return upper;
}

// An element's text as the XML object model gives it: every text and CDATA section below it in
// document order, without the white space at either end. Walked without recursion, so that a
// deeply nested document cannot exhaust the stack.
std::string ElementText(const pugi::xml_node& element) {
    std::string text;
    pugi::xml_node node = element.first_child();
    while (node && node != element) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            text += node.value();
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != element && !node.next_sibling()) {
            node = node.parent();
        }
        if (node != element) {
            node = node.next_sibling();
        }
    }
    const std::size_t first = text.find_first_not_of(kXmlWhitespace);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kXmlWhitespace) - first + 1);
}

// The text as wide characters, or nothing when it is not well-formed UTF-8: the parser passes
// such bytes on where a parser that checks the encoding refuses the document.
std::optional<std::wstring> Wide(std::string_view utf8) {
    std::wstring wide;
    while (!utf8.empty()) {
        char32_t code = 0;
        const std::size_t length = DecodeUtf8(utf8, code);
        if (length == 0) {
            return std::nullopt;
        }
        wide += static_cast<wchar_t>(code);
        utf8.remove_prefix(length);
    }
    return wide;
}

// Whether the document is in an encoding Game Explorer's XML reader takes: UTF-8, or one that a
// byte order mark names (UTF-16 in either byte order), or UTF-16 without one when the document
// opens with its XML declaration, or an encoding the declaration names. UTF-32 is not read, nor
// UTF-16 without a byte order mark or a declaration.
bool InReadableEncoding(std::string_view document) {
    using namespace std::string_view_literals;
    for (std::string_view utf32Start :
         {"\xFF\xFE\0\0"sv, "\0\0\xFE\xFF"sv, "<\0\0\0"sv, "\0\0\0<"sv}) {
        if (document.starts_with(utf32Start)) {
            return false;
        }
    }
    if (document.starts_with("<\0"sv)) {
        return document.starts_with("<\0?\0x\0m\0l\0"sv);
    }
    if (document.starts_with("\0<"sv)) {
        return document.starts_with("\0<\0?\0x\0m\0l"sv);
    }
    return true;
}

}  // namespace

HRESULT ReadGameDefinition(std::istream& binary, GameDefinition& definition) {
    const ResourceLookup document =
        FindNamedResource(binary, ToUtf16(kGameDefinitionResourceType),
                          ToUtf16(kGameDefinitionResourceName), kMaxDefinitionSize);
    return document.bytes ? ParseGameDefinition(*document.bytes, definition) : E_FAIL;
}

HRESULT ParseGameDefinition(std::string_view document, GameDefinition& definition) {
    pugi::xml_document parsed;
    // The parser tells the readable encodings apart by the byte order mark, the document's start
    // and its declaration; no DTD is read, so no entity can expand.
    if (!InReadableEncoding(document) ||
        !parsed.load_buffer(document.data(), document.size(), pugi::parse_default,
                            pugi::encoding_auto)) {
        return E_FAIL;
    }
    const pugi::xml_node root = parsed.document_element();
    const pugi::xml_node game = root.child(kGameElement);
    if (std::string_view(root.name()) != kRootElement || !game) {
        return E_FAIL;
    }
    const pugi::xml_attribute gameId = game.attribute(kGameIdAttribute);
    if (!gameId) {
        return E_FAIL;
    }
    const std::optional<std::string> applicationId = BracedUpperGuid(gameId.value());
    if (!applicationId) {
        return CO_E_CLASSSTRING;
    }
    const std::optional<std::wstring> title = Wide(ElementText(game.child(kNameElement)));
    const pugi::xml_node description = game.child(kDescriptionElement);
    const std::optional<std::wstring> describedAs =
        description ? Wide(ElementText(description)) : title;
    if (!title || title->empty() || title->size() > kMaxTextLength || !describedAs ||
        describedAs->size() > kMaxTextLength) {
        return E_FAIL;
    }
    definition = {*Wide(*applicationId), *title, *describedAs};
    return S_OK;
}
