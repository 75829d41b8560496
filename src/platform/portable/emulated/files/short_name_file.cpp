#include "emulated/files/short_name_file.h"

#include <charconv>

namespace {

constexpr std::string_view kVersionLine = "brackenfold short names 1\n";
constexpr std::size_t kHeaderFields = 3;  // folder, device, inode
constexpr std::size_t kFieldsPerName = 3;

// A short name is ASCII; a Windows name may hold any UTF-16 unit, a lone surrogate included,
// so it is kept as hexadecimal code units, the same in every locale.
std::string UnitsAsHex(std::wstring_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        for (int shift = 20; shift >= 0; shift -= 4) {
            hex.push_back(kDigits[(code >> shift) & 0xF]);
        }
    }
    return hex;
}

std::optional<std::wstring> UnitsFromHex(std::string_view hex) {
    constexpr std::size_t kDigitsPerUnit = 6;
    if (hex.size() % kDigitsPerUnit != 0) {
        return std::nullopt;
    }
    std::wstring text;
    for (std::size_t i = 0; i < hex.size(); i += kDigitsPerUnit) {
        std::uint32_t code = 0;
        const char* end = hex.data() + i + kDigitsPerUnit;
        if (std::from_chars(hex.data() + i, end, code, 16).ptr != end) {
            return std::nullopt;
        }
        text.push_back(static_cast<wchar_t>(code));
    }
    return text;
}

std::optional<std::wstring> AsciiText(std::string_view text) {
    std::wstring wide;
    for (char c : text) {
        if (c <= 0x20 || c >= 0x7F) {
            return std::nullopt;
        }
        wide.push_back(static_cast<wchar_t>(c));
    }
    return wide;
}

std::string NarrowAscii(std::wstring_view text) {
    return std::string(text.begin(), text.end());
}

bool ParseNumber(std::string_view text, std::uint64_t& value) {
    const char* end = text.data() + text.size();
    return !text.empty() && std::from_chars(text.data(), end, value).ptr == end;
}

std::vector<std::string_view> FieldsOf(std::string_view text) {
    std::vector<std::string_view> fields;
    for (std::size_t end; (end = text.find('\0')) != std::string_view::npos;) {
        fields.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return fields;
}

}  // namespace

std::string ShortNameFileText(const ShortNameFile& file) {
    std::string text(kVersionLine);
    for (const std::string& field :
         {file.folder, std::to_string(file.device), std::to_string(file.inode)}) {
        text += field;
        text.push_back('\0');
    }
    for (const GivenShortName& name : file.given) {
        for (const std::string& field :
             {name.hostName, NarrowAscii(name.shortName), UnitsAsHex(name.windowsName)}) {
            text += field;
            text.push_back('\0');
        }
    }
    return text;
}

std::optional<ShortNameFile> ParseShortNameFile(std::string_view text) {
    if (!text.starts_with(kVersionLine) ||
        (text.size() > kVersionLine.size() && text.back() != '\0')) {
        return std::nullopt;
    }
    text.remove_prefix(kVersionLine.size());
    const std::vector<std::string_view> fields = FieldsOf(text);
    if (fields.size() < kHeaderFields || (fields.size() - kHeaderFields) % kFieldsPerName != 0) {
        return std::nullopt;
    }
    ShortNameFile file;
    file.folder = fields[0];
    if (!ParseNumber(fields[1], file.device) || !ParseNumber(fields[2], file.inode)) {
        return std::nullopt;
    }
    for (std::size_t i = kHeaderFields; i < fields.size(); i += kFieldsPerName) {
        std::optional<std::wstring> shortName = AsciiText(fields[i + 1]);
        std::optional<std::wstring> windowsName = UnitsFromHex(fields[i + 2]);
        if (fields[i].empty() || !shortName || shortName->empty() || !windowsName) {
            return std::nullopt;
        }
        file.given.push_back(
            {std::string(fields[i]), std::move(*shortName), std::move(*windowsName)});
    }
    return file;
}
