#include "emulated/shell/shell_link_format.h"

#include "emulated/base/utf16.h"

namespace {

using namespace shell_link_format;

constexpr GUID kShellLinkClass = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

constexpr std::uint32_t kShowNormal = 1;

// LinkInfo: written with the Unicode offsets, for a local volume.
constexpr std::uint32_t kVolumeIdHeaderSize = 0x10;
constexpr std::uint32_t kDriveFixed = 3;
// The emulated drives have no serial number of their own; any fixed value will do.
constexpr std::uint32_t kVolumeSerial = 0x42460001;

constexpr std::size_t kMaxCountedUnits = 0xFFFF;

class ByteWriter {
  public:
    void U16(std::uint32_t value) {
        bytes_.push_back(static_cast<char>(value & 0xFF));
        bytes_.push_back(static_cast<char>((value >> 8) & 0xFF));
    }
    void U32(std::uint32_t value) {
        U16(value & 0xFFFF);
        U16(value >> 16);
    }
    void U64(std::uint64_t value) {
        U32(static_cast<std::uint32_t>(value));
        U32(static_cast<std::uint32_t>(value >> 32));
    }
    void Guid(const GUID& guid) {
        U32(guid.Data1);
        U16(guid.Data2);
        U16(guid.Data3);
        for (std::uint8_t b : guid.Data4) {
            bytes_.push_back(static_cast<char>(b));
        }
    }
    void Ansi(const std::string& text) {
        bytes_.append(text);
        bytes_.push_back('\0');
    }
    void Units(const std::u16string& units) {
        for (char16_t unit : units) {
            U16(unit);
        }
    }
    void Bytes(const std::string& more) { bytes_.append(more); }
    std::size_t Size() const { return bytes_.size(); }
    const std::string& Result() const { return bytes_; }

  private:
    std::string bytes_;
};

// The ANSI form holds what the Western code page can: ASCII here, "?" for the rest. Readers use
// the Unicode form, which is always present.
std::string AnsiForm(std::wstring_view text) {
    std::string ansi;
    for (wchar_t c : text) {
        ansi.push_back(c > 0 && c < 0x80 ? static_cast<char>(c) : '?');
    }
    return ansi;
}

std::string LinkInfo(std::wstring_view localPath) {
    std::string ansiPath = AnsiForm(localPath);
    std::u16string unicodePath = ToUtf16(localPath);

    // Layout: header, volume id (header and an empty label), the ANSI path and its empty common
    // suffix, then the Unicode path and its empty suffix.
    std::uint32_t volumeOffset = kLinkInfoUnicodeHeaderSize;
    std::uint32_t volumeSize = kVolumeIdHeaderSize + 1;
    std::uint32_t pathOffset = volumeOffset + volumeSize;
    std::uint32_t suffixOffset = pathOffset + static_cast<std::uint32_t>(ansiPath.size()) + 1;
    std::uint32_t unicodePathOffset = suffixOffset + 1;
    std::uint32_t unicodeSuffixOffset =
        unicodePathOffset + static_cast<std::uint32_t>(unicodePath.size() + 1) * 2;
    std::uint32_t totalSize = unicodeSuffixOffset + 2;

    ByteWriter out;
    out.U32(totalSize);
    out.U32(kLinkInfoUnicodeHeaderSize);
    out.U32(kVolumeIdAndLocalBasePath);
    out.U32(volumeOffset);
    out.U32(pathOffset);
    out.U32(0);  // no network location
    out.U32(suffixOffset);
    out.U32(unicodePathOffset);
    out.U32(unicodeSuffixOffset);

    out.U32(volumeSize);
    out.U32(kDriveFixed);
    out.U32(kVolumeSerial);
    out.U32(kVolumeIdHeaderSize);  // label offset: the label follows the volume id header
    out.Ansi("");

    out.Ansi(ansiPath);
    out.Ansi("");
    out.Units(unicodePath);
    out.U16(0);
    out.U16(0);
    return out.Result();
}

void CountedString(ByteWriter& out, std::wstring_view text) {
    std::u16string units = ToUtf16(text);
    if (units.size() > kMaxCountedUnits) {
        units.resize(kMaxCountedUnits);
    }
    out.U16(static_cast<std::uint32_t>(units.size()));
    out.Units(units);
}

}  // namespace

std::string ShellLinkBytes(const ShellLinkContents& link) {
    std::uint32_t flags = kIsUnicode;
    if (!link.localPath.empty()) {
        flags |= kHasLinkInfo;
    }
    if (!link.workingDirectory.empty()) {
        flags |= kHasWorkingDir;
    }
    if (!link.arguments.empty()) {
        flags |= kHasArguments;
    }

    ByteWriter out;
    out.U32(kHeaderSize);
    out.Guid(kShellLinkClass);
    out.U32(flags);
    out.U32(link.fileAttributes);
    out.U64(link.creationTime);
    out.U64(link.accessTime);
    out.U64(link.writeTime);
    out.U32(link.fileSize);
    out.U32(0);  // icon index
    out.U32(kShowNormal);
    out.U16(0);  // no hot key
    out.U16(0);  // reserved
    out.U32(0);
    out.U32(0);

    if (!link.localPath.empty()) {
        out.Bytes(LinkInfo(link.localPath));
    }
    // String data comes in a fixed order: name, relative path, working folder, arguments, icon.
    if (!link.workingDirectory.empty()) {
        CountedString(out, link.workingDirectory);
    }
    if (!link.arguments.empty()) {
        CountedString(out, link.arguments);
    }
    out.U32(0);  // terminal block: no extra data
    return out.Result();
}
