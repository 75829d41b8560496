#include "emulated/registry/reg_file_format.h"

#include <algorithm>
#include <vector>

#include "emulated/base/utf16.h"
#include "emulated/base/win32_codes.h"
#include "platform/hex_digit.h"

namespace {

constexpr std::wstring_view kHeaderLine = L"Windows Registry Editor Version 5.00";
constexpr std::string_view kByteOrderMark = "\xFF\xFE";

// ---- Reading -----------------------------------------------------------------------------------

struct ParseFault {
    std::string reason;
};

std::vector<std::wstring> SplitLines(std::wstring_view text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring_view::npos) {
            end = text.size();
        }
        std::wstring_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

// Reads a quoted string at text[position] and moves position past its closing quote.
std::wstring ReadQuoted(std::wstring_view text, std::size_t& position) {
    if (position >= text.size() || text[position] != L'"') {
        throw ParseFault{"a quoted string was expected"};
    }
    std::wstring result;
    for (++position; position < text.size(); ++position) {
        wchar_t c = text[position];
        if (c == L'"') {
            ++position;
            return result;
        }
        if (c == L'\\') {
            if (++position >= text.size()) {
                break;
            }
            switch (text[position]) {
                case L'\\':
                case L'"':
                    result.push_back(text[position]);
                    break;
                case L'n':  // written by Wine's registry editor for a line break
                    result.push_back(L'\n');
                    break;
                case L'r':
                    result.push_back(L'\r');
                    break;
                default:
                    throw ParseFault{"unknown escape in a quoted string"};
            }
            continue;
        }
        result.push_back(c);
    }
    throw ParseFault{"a quoted string has no closing quote"};
}

std::uint32_t ReadHexNumber(std::wstring_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) {
        throw ParseFault{"a hexadecimal number was expected"};
    }
    std::uint32_t number = 0;
    for (wchar_t c : text) {
        int digit = HexDigitValue(c);
        if (digit < 0) {
            throw ParseFault{"a hexadecimal number was expected"};
        }
        number = number * 16 + static_cast<std::uint32_t>(digit);
    }
    return number;
}

// The blanks the registry editor puts around the items of hex data. Not iswspace: what that
// takes for a blank depends on the locale, and a file must read the same in every locale.
bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::vector<BYTE> ReadHexBytes(std::wstring_view text) {
    std::vector<BYTE> bytes;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L',', start);
        if (end == std::wstring_view::npos) {
            end = text.size();
        }
        std::wstring_view item = text.substr(start, end - start);
        while (!item.empty() && IsBlank(item.front())) {
            item.remove_prefix(1);
        }
        while (!item.empty() && IsBlank(item.back())) {
            item.remove_suffix(1);
        }
        if (!(item.empty() && end == text.size())) {
            bytes.push_back(static_cast<BYTE>(ReadHexNumber(item, 2)));
        }
        start = end + 1;
    }
    return bytes;
}

RegistryValue ReadValueData(std::wstring_view data) {
    RegistryValue value;
    if (data.starts_with(L"\"")) {
        std::size_t position = 0;
        std::wstring text = ReadQuoted(data, position);
        if (position != data.size()) {
            throw ParseFault{"text follows a quoted value"};
        }
        value.type = REG_SZ;
        value.data = StringValueData(text);
    } else if (data.starts_with(L"dword:")) {
        std::uint32_t number = ReadHexNumber(data.substr(6), 8);
        value.type = REG_DWORD;
        for (int shift = 0; shift < 32; shift += 8) {
            value.data.push_back(static_cast<BYTE>(number >> shift));
        }
    } else if (data.starts_with(L"hex:")) {
        value.type = REG_BINARY;
        value.data = ReadHexBytes(data.substr(4));
    } else if (data.starts_with(L"hex(")) {
        std::size_t close = data.find(L"):");
        if (close == std::wstring_view::npos) {
            throw ParseFault{"hex( without a closing ):"};
        }
        value.type = ReadHexNumber(data.substr(4, close - 4), 8);
        value.data = ReadHexBytes(data.substr(close + 2));
    } else {
        throw ParseFault{"unknown value data"};
    }
    return value;
}

RegistryNode& ReadKeyHeader(std::wstring_view line, RegistryNode& root,
                            std::wstring_view hiveName) {
    if (line.size() < 2 || line.back() != L']') {
        throw ParseFault{"a key line must end with ]"};
    }
    std::wstring_view path = line.substr(1, line.size() - 2);
    if (path.starts_with(L"-")) {
        throw ParseFault{"key deletions belong in import files, not in a hive"};
    }
    std::wstring_view first = path.substr(0, path.find(L'\\'));
    if (!EqualsIgnoringCase(first, hiveName)) {
        throw ParseFault{"a key outside this hive"};
    }
    std::vector<std::wstring> names;
    if (first.size() < path.size() && !SplitKeyPath(path.substr(first.size() + 1), names)) {
        throw ParseFault{"a key path with an empty name"};
    }
    if (names.size() > kMaxKeyDepth) {
        throw ParseFault{"a key deeper than the registry allows"};
    }
    for (const std::wstring& name : names) {
        if (name.size() > kMaxKeyNameLength) {
            throw ParseFault{"a key name longer than the registry allows"};
        }
    }
    RegistryNode* node = &root;
    for (const std::wstring& name : names) {
        bool created = false;
        node = &node->Create(name, created);
    }
    return *node;
}

RegistryValue ReadValueLine(std::wstring_view line) {
    std::wstring name;
    std::size_t position = 0;
    if (line.starts_with(L"@")) {
        position = 1;
    } else {
        name = ReadQuoted(line, position);
        if (name.size() > kMaxValueNameLength) {
            throw ParseFault{"a value name longer than the registry allows"};
        }
    }
    if (position >= line.size() || line[position] != L'=') {
        throw ParseFault{"= expected after the value name"};
    }
    std::wstring_view data = line.substr(position + 1);
    if (data == L"-") {
        throw ParseFault{"value deletions belong in import files, not in a hive"};
    }
    RegistryValue value = ReadValueData(data);
    value.name = std::move(name);
    return value;
}

std::wstring DecodeText(std::string_view bytes) {
    if (!bytes.starts_with(kByteOrderMark)) {
        throw ParseFault{"no UTF-16LE byte order mark"};
    }
    if (bytes.size() % 2 != 0) {
        throw ParseFault{"an odd number of bytes in UTF-16 text"};
    }
    return FromUtf16Le(bytes.substr(kByteOrderMark.size()));
}

// Whether a line holds a value, the only kind of line whose data may continue on the next.
bool IsValueLine(std::wstring_view line) {
    return line.starts_with(L"\"") || line.starts_with(L"@");
}

void ParseLines(const std::vector<std::wstring>& lines, RegistryNode& root,
                std::wstring_view hiveName, std::size_t& lineNumber) {
    lineNumber = 1;
    if (lines.empty() || lines[0] != kHeaderLine) {
        throw ParseFault{"the first line is not the registry editor's version 5.00 header"};
    }
    RegistryNode* key = nullptr;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        lineNumber = i + 1;
        std::wstring line = lines[i];
        // Long hex data continues on the next line after a trailing backslash; in a comment or
        // a key line the backslash is just a character.
        while (IsValueLine(line) && line.back() == L'\\' && i + 1 < lines.size()) {
            line.pop_back();
            std::wstring_view next = lines[++i];
            next.remove_prefix(std::min(next.find_first_not_of(L" \t"), next.size()));
            line.append(next);
        }
        if (line.empty() || line.starts_with(L";")) {
            continue;
        }
        if (line.starts_with(L"[")) {
            key = &ReadKeyHeader(line, root, hiveName);
            continue;
        }
        if (key == nullptr) {
            throw ParseFault{"a value before the first key"};
        }
        key->SetValue(ReadValueLine(line));
    }
}

// ---- Writing -----------------------------------------------------------------------------------

std::wstring Quoted(std::wstring_view text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        // A raw line break would end the line in the middle of the string; the reader takes
        // \n and \r back, as the registry editor writes them.
        if (c == L'\n' || c == L'\r') {
            quoted.append(c == L'\n' ? L"\\n" : L"\\r");
            continue;
        }
        if (c == L'\\' || c == L'"') {
            quoted.push_back(L'\\');
        }
        quoted.push_back(c);
    }
    quoted.push_back(L'"');
    return quoted;
}

// Whether data can be written as a quoted string that reads back to the same bytes: whole
// UTF-16 units, one terminator at the end, and no line break that would split the line.
bool IsPlainString(const RegistryValue& value) {
    const std::vector<BYTE>& data = value.data;
    if (value.type != REG_SZ || data.size() < 2 || data.size() % 2 != 0 ||
        data[data.size() - 1] != 0 || data[data.size() - 2] != 0) {
        return false;
    }
    for (std::size_t i = 0; i + 2 < data.size(); i += 2) {
        unsigned unit = data[i] | (data[i + 1] << 8);
        if (unit == 0 || unit == L'\n' || unit == L'\r') {
            return false;
        }
    }
    return true;
}

// number in lower-case hexadecimal digits, at least digits of them.
std::wstring HexText(std::uint32_t number, int digits) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text;
    for (; number != 0 || digits > 0; number >>= 4, --digits) {
        text.insert(text.begin(), kDigits[number & 0xF]);
    }
    return text;
}

std::wstring ValueDataText(const RegistryValue& value) {
    if (IsPlainString(value)) {
        return Quoted(StringFromValueData(value.data));
    }
    if (value.type == REG_DWORD && value.data.size() == 4) {
        std::uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                               (static_cast<std::uint32_t>(value.data[3]) << 24);
        return L"dword:" + HexText(number, 8);
    }
    std::wstring text =
        value.type == REG_BINARY ? L"hex:" : L"hex(" + HexText(value.type, 1) + L"):";
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        if (i > 0) {
            text.push_back(L',');
        }
        text.append(HexText(value.data[i], 2));
    }
    return text;
}

void WriteSection(const RegistryNode& key, std::wstring_view path, std::wstring& text) {
    text.append(L"[").append(path).append(L"]\r\n");
    for (const RegistryValue& value : key.Values()) {
        text.append(value.name.empty() ? L"@" : Quoted(value.name));
        text.append(L"=" + ValueDataText(value) + L"\r\n");
    }
    text.append(L"\r\n");
}

// Every key depth first, without recursion, so that no nesting of keys exhausts the stack.
// Stops with false once text holds more than maxCharacters.
bool WriteKeys(const RegistryNode& root, std::wstring_view hiveName, std::size_t maxCharacters,
               std::wstring& text) {
    struct Pending {
        const RegistryNode* key;
        std::size_t parentPathLength;  // path holds the parent's path up to here
    };
    std::wstring path(hiveName);
    WriteSection(root, path, text);
    std::vector<Pending> pending;
    auto pushChildren = [&](const RegistryNode& key) {
        const auto& children = key.Children();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            pending.push_back({it->second.get(), path.size()});
        }
    };
    pushChildren(root);
    while (!pending.empty()) {
        Pending next = pending.back();
        pending.pop_back();
        path.resize(next.parentPathLength);
        path.append(L"\\").append(next.key->Name());
        WriteSection(*next.key, path, text);
        if (text.size() > maxCharacters) {
            return false;
        }
        pushChildren(*next.key);
    }
    return true;
}

}  // namespace

RegFileParse ParseRegFile(std::string_view bytes, std::wstring_view hiveName) {
    RegFileParse result;
    auto root = std::make_unique<RegistryNode>();
    std::size_t lineNumber = 0;
    try {
        ParseLines(SplitLines(DecodeText(bytes)), *root, hiveName, lineNumber);
    } catch (const ParseFault& fault) {
        result.errorLine = lineNumber;
        result.error = fault.reason;
        return result;
    }
    result.root = std::move(root);
    return result;
}

std::string WriteRegFile(const RegistryNode& root, std::wstring_view hiveName,
                         std::size_t maxBytes) {
    std::wstring text(kHeaderLine);
    text.append(L"\r\n\r\n");
    // Each character takes two bytes or four: past half the bytes, the file is too large.
    if (!WriteKeys(root, hiveName, maxBytes / 2, text)) {
        return {};
    }
    std::string bytes = std::string(kByteOrderMark) + ToUtf16Le(text);
    return bytes.size() <= maxBytes ? bytes : std::string();
}
