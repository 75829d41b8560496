#include "emulated/shell/shell_link_reader.h"

#include <cstdint>
#include <string>

#include "emulated/base/utf16.h"
#include "emulated/shell/shell_link_format.h"

namespace {

using namespace shell_link_format;

constexpr std::uint8_t kShellLinkClass[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                              0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// Extra data: blocks of at least a size and a signature, then a terminal block of size below 4.
constexpr std::uint32_t kSmallestExtraBlock = 8;

// Little-endian reads within a range of the bytes; a read that does not fit fails.
class Bytes {
  public:
    explicit Bytes(std::string_view bytes) : bytes_(bytes) {}

    bool Fits(std::size_t position, std::size_t count) const {
        return position <= bytes_.size() && count <= bytes_.size() - position;
    }
    std::optional<std::uint32_t> At(std::size_t position, int count) const {
        if (!Fits(position, static_cast<std::size_t>(count))) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes_[position + i]))
                     << (8 * i);
        }
        return value;
    }
    std::optional<std::uint64_t> At64(std::size_t position) const {
        const auto low = At(position, 4);
        const auto high = At(position + 4, 4);
        if (!low || !high) {
            return std::nullopt;
        }
        return *low | (static_cast<std::uint64_t>(*high) << 32);
    }
    std::string_view Range(std::size_t position, std::size_t count) const {
        return bytes_.substr(position, count);
    }
    std::size_t Size() const { return bytes_.size(); }

  private:
    std::string_view bytes_;
};

// The ANSI text from position to its zero byte before end; only ASCII is taken as it is (the
// writer puts "?" for the rest, and another code page's bytes mean nothing here).
std::optional<std::wstring> TerminatedAnsi(const Bytes& file, std::size_t position,
                                           std::size_t end) {
    std::wstring text;
    for (; position < end; ++position) {
        const auto byte = file.At(position, 1);
        if (*byte == 0) {
            return text;
        }
        text.push_back(*byte < 0x80 ? static_cast<wchar_t>(*byte) : L'?');
    }
    return std::nullopt;
}

// The UTF-16 text from position to its zero unit, which must end before end.
std::optional<std::wstring> TerminatedUnicode(const Bytes& file, std::size_t position,
                                              std::size_t end) {
    std::u16string units;
    for (; position + 2 <= end; position += 2) {
        const auto unit = file.At(position, 2);
        if (*unit == 0) {
            return FromUtf16(units);
        }
        units.push_back(static_cast<char16_t>(*unit));
    }
    return std::nullopt;
}

// The local path of the LinkInfo block at start, whose size the caller checked against the file:
// base path and common suffix. Empty for a block that names no local volume (a network share).
std::optional<std::wstring> LinkInfoPath(const Bytes& file, std::size_t start, std::size_t size) {
    const std::size_t end = start + size;
    const auto headerSize = file.At(start + 4, 4);
    const auto flags = file.At(start + 8, 4);
    if (!headerSize || !flags || *headerSize < kLinkInfoHeaderSize || *headerSize > size) {
        return std::nullopt;
    }
    if ((*flags & kVolumeIdAndLocalBasePath) == 0) {
        return std::wstring();
    }
    const bool unicode = *headerSize >= kLinkInfoUnicodeHeaderSize;
    const auto baseOffset = file.At(start + (unicode ? 28 : 16), 4);
    const auto suffixOffset = file.At(start + (unicode ? 32 : 24), 4);
    if (!baseOffset || !suffixOffset || *baseOffset >= size || *suffixOffset >= size) {
        return std::nullopt;
    }
    const auto read = unicode ? TerminatedUnicode : TerminatedAnsi;
    std::optional<std::wstring> base = read(file, start + *baseOffset, end);
    std::optional<std::wstring> suffix = read(file, start + *suffixOffset, end);
    if (!base || !suffix) {
        return std::nullopt;
    }
    return *base + *suffix;
}

// One string of the string data at position, which moves past it: a count of characters, then
// that many UTF-16 units (or bytes, in a link that is not Unicode).
std::optional<std::wstring> CountedString(const Bytes& file, std::size_t& position, bool unicode) {
    const auto count = file.At(position, 2);
    if (!count) {
        return std::nullopt;
    }
    const std::size_t length = *count * (unicode ? 2u : 1u);
    if (!file.Fits(position + 2, length)) {
        return std::nullopt;
    }
    std::wstring text;
    if (unicode) {
        text = FromUtf16Le(file.Range(position + 2, length));
    } else {
        for (char byte : file.Range(position + 2, length)) {
            text.push_back(static_cast<unsigned char>(byte) < 0x80 ? static_cast<wchar_t>(byte)
                                                                   : L'?');
        }
    }
    position += 2 + length;
    return text;
}

// Whether the extra data blocks from position end in the terminal block within the file.
bool ExtraDataEnds(const Bytes& file, std::size_t position) {
    for (;;) {
        const auto blockSize = file.At(position, 4);
        if (!blockSize) {
            return false;
        }
        if (*blockSize < 4) {
            return true;
        }
        if (*blockSize < kSmallestExtraBlock || !file.Fits(position, *blockSize)) {
            return false;
        }
        position += *blockSize;
    }
}

bool ReadHeader(const Bytes& file, std::string_view bytes, ShellLinkContents& link,
                std::uint32_t& flags) {
    if (file.At(0, 4) != kHeaderSize || !file.Fits(0, kHeaderSize) ||
        bytes.substr(4, sizeof kShellLinkClass) !=
            std::string_view(reinterpret_cast<const char*>(kShellLinkClass),
                             sizeof kShellLinkClass)) {
        return false;
    }
    flags = *file.At(20, 4);
    link.fileAttributes = *file.At(24, 4);
    link.creationTime = *file.At64(28);
    link.accessTime = *file.At64(36);
    link.writeTime = *file.At64(44);
    link.fileSize = *file.At(52, 4);
    return true;
}

}  // namespace

std::optional<ShellLinkContents> ReadShellLinkBytes(std::string_view bytes) {
    const Bytes file(bytes);
    ShellLinkContents link;
    std::uint32_t flags = 0;
    if (!ReadHeader(file, bytes, link, flags)) {
        return std::nullopt;
    }
    std::size_t position = kHeaderSize;
    // The shell's item list of the target: skipped whole, the LinkInfo path is what is read.
    if ((flags & kHasLinkTargetIdList) != 0) {
        const auto listSize = file.At(position, 2);
        if (!listSize || !file.Fits(position + 2, *listSize)) {
            return std::nullopt;
        }
        position += 2 + *listSize;
    }
    if ((flags & kHasLinkInfo) != 0) {
        const auto size = file.At(position, 4);
        if (!size || *size < kLinkInfoHeaderSize || !file.Fits(position, *size)) {
            return std::nullopt;
        }
        std::optional<std::wstring> path = LinkInfoPath(file, position, *size);
        if (!path) {
            return std::nullopt;
        }
        link.localPath = std::move(*path);
        position += *size;
    }
    // The string data comes in this order, each string only when its flag is set.
    for (std::uint32_t flag :
         {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments, kHasIconLocation}) {
        if ((flags & flag) == 0) {
            continue;
        }
        std::optional<std::wstring> text = CountedString(file, position, (flags & kIsUnicode) != 0);
        if (!text) {
            return std::nullopt;
        }
        if (flag == kHasWorkingDir) {
            link.workingDirectory = std::move(*text);
        } else if (flag == kHasArguments) {
            link.arguments = std::move(*text);
        }
    }
    if (!ExtraDataEnds(file, position)) {
        return std::nullopt;
    }
    return link;
}
