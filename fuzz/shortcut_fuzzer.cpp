// The emulated system's shortcut writer, read back by a reader of the binary shell link format
// written here from the format's description: header with its class id and flags, LinkInfo with
// the target's local path in ANSI and Unicode form, counted Unicode string data, extra data up
// to the terminal block, and nothing after it. Properties: the file always parses within its
// bounds; it holds exactly the target path, working folder, arguments and header facts that were
// given (when they are proper Unicode text); it has a block only for what was given. The
// emulated system's own reader takes back exactly that, and takes any bytes (the input itself)
// without reading past them.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "emulated/shell/shell_link_format.h"
#include "emulated/shell/shell_link_reader.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

constexpr std::uint32_t kHasLinkTargetIdList = 0x01;
constexpr std::uint32_t kHasLinkInfo = 0x02;
constexpr std::uint32_t kHasName = 0x04;
constexpr std::uint32_t kHasRelativePath = 0x08;
constexpr std::uint32_t kHasWorkingDir = 0x10;
constexpr std::uint32_t kHasArguments = 0x20;
constexpr std::uint32_t kHasIconLocation = 0x40;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x01;
constexpr std::uint8_t kShellLinkClassId[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// Reads little-endian values at checked positions; every read outside the file fails the check.
class Reader {
  public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}

    std::uint32_t At(std::size_t position, int size) const {
        FUZZ_CHECK(position <= bytes_.size() &&
                   static_cast<std::size_t>(size) <= bytes_.size() - position);
        std::uint32_t value = 0;
        for (int i = 0; i < size; ++i) {
            value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes_[position + i]))
                     << (8 * i);
        }
        return value;
    }
    std::uint64_t At64(std::size_t position) const {
        return At(position, 4) | (static_cast<std::uint64_t>(At(position + 4, 4)) << 32);
    }
    // UTF-16 units from position until a zero unit, decoded; the terminator must lie within end.
    std::wstring TerminatedUnicode(std::size_t position, std::size_t end) const {
        std::u16string units;
        for (;; position += 2) {
            FUZZ_CHECK(position + 2 <= end);
            const auto unit = static_cast<char16_t>(At(position, 2));
            if (unit == 0) {
                return Decode(units);
            }
            units.push_back(unit);
        }
    }
    // A counted string of the string data; position moves past it.
    std::wstring Counted(std::size_t& position) const {
        const std::uint32_t count = At(position, 2);
        position += 2;
        std::u16string units;
        for (std::uint32_t i = 0; i < count; ++i, position += 2) {
            units.push_back(static_cast<char16_t>(At(position, 2)));
        }
        return Decode(units);
    }
    std::size_t Size() const { return bytes_.size(); }

  private:
    static std::wstring Decode(const std::u16string& units) {
        std::wstring text;
        for (std::size_t i = 0; i < units.size(); ++i) {
            const std::uint32_t unit = units[i];
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() &&
                units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
                text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) +
                                                    (units[i + 1] - 0xDC00)));
                ++i;
            } else {
                text.push_back(static_cast<wchar_t>(unit));
            }
        }
        return text;
    }

    const std::string& bytes_;
};

struct ReadBack {
    std::uint32_t flags = 0;
    std::optional<std::wstring> localPath, workingDirectory, arguments;
};

std::wstring ReadLocalPath(const Reader& file, std::size_t linkInfo) {
    const std::uint32_t size = file.At(linkInfo, 4);
    const std::uint32_t headerSize = file.At(linkInfo + 4, 4);
    const std::uint32_t flags = file.At(linkInfo + 8, 4);
    FUZZ_CHECK(size >= headerSize && linkInfo + size <= file.Size());
    FUZZ_CHECK(headerSize == 0x1C || headerSize >= 0x24);
    FUZZ_CHECK((flags & kVolumeIdAndLocalBasePath) != 0);
    const std::size_t end = linkInfo + size;

    const std::uint32_t volumeId = file.At(linkInfo + 12, 4);
    FUZZ_CHECK(volumeId >= headerSize && volumeId + 0x10 <= size);
    FUZZ_CHECK(file.At(linkInfo + volumeId, 4) >= 0x10);
    FUZZ_CHECK(volumeId + file.At(linkInfo + volumeId, 4) <= size);

    // The ANSI form must be terminated inside the block, whatever it holds.
    std::size_t ansi = linkInfo + file.At(linkInfo + 16, 4);
    while (file.At(ansi, 1) != 0) {
        FUZZ_CHECK(++ansi < end);
    }
    FUZZ_CHECK(headerSize >= 0x24);  // the Unicode form is what carries the path whole
    return file.TerminatedUnicode(linkInfo + file.At(linkInfo + 28, 4), end);
}

ReadBack Read(const std::string& bytes, const ShellLinkContents& link) {
    const Reader file(bytes);
    ReadBack back;
    FUZZ_CHECK(file.At(0, 4) == 0x4C);
    FUZZ_CHECK(std::memcmp(bytes.data() + 4, kShellLinkClassId, 16) == 0);
    back.flags = file.At(20, 4);
    FUZZ_CHECK((back.flags & kIsUnicode) != 0);
    FUZZ_CHECK(file.At(24, 4) == link.fileAttributes);
    FUZZ_CHECK(file.At64(28) == link.creationTime);
    FUZZ_CHECK(file.At64(36) == link.accessTime);
    FUZZ_CHECK(file.At64(44) == link.writeTime);
    FUZZ_CHECK(file.At(52, 4) == link.fileSize);

    std::size_t position = 0x4C;
    if ((back.flags & kHasLinkTargetIdList) != 0) {
        position += 2 + file.At(position, 2);
    }
    if ((back.flags & kHasLinkInfo) != 0) {
        back.localPath = ReadLocalPath(file, position);
        position += file.At(position, 4);
    }
    for (std::uint32_t flag :
         {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments, kHasIconLocation}) {
        if ((back.flags & flag) == 0) {
            continue;
        }
        std::wstring text = file.Counted(position);
        if (flag == kHasWorkingDir) {
            back.workingDirectory = text;
        } else if (flag == kHasArguments) {
            back.arguments = text;
        }
    }
    // Extra data blocks, then the terminal block, then the end of the file.
    for (std::uint32_t blockSize; (blockSize = file.At(position, 4)) >= 4; position += blockSize) {
        FUZZ_CHECK(blockSize >= 8);
    }
    FUZZ_CHECK(position + 4 == file.Size());
    return back;
}

// Text that every UTF-16 writer must carry unchanged: Unicode scalar values only.
bool ProperUnicode(const std::wstring& text) {
    for (wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
    }
    return true;
}

void CheckString(const std::optional<std::wstring>& read, const std::wstring& given) {
    FUZZ_CHECK(read.has_value() == !given.empty());
    if (read && ProperUnicode(given)) {
        FUZZ_CHECK(*read == given);
    }
}

// High half first: the two reads must happen in a fixed order.
std::uint64_t Read64(FuzzInput& input) {
    const std::uint64_t high = input.Uint32();
    return (high << 32) | input.Uint32();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Hostile bytes: whatever the reader makes of them, it stays within them.
    (void)ReadShellLinkBytes(std::string_view(reinterpret_cast<const char*>(data), size));

    FuzzInput input(data, size);
    ShellLinkContents link;
    link.fileAttributes = input.Uint32();
    link.creationTime = Read64(input);
    link.accessTime = Read64(input);
    link.writeTime = Read64(input);
    link.fileSize = input.Uint32();
    link.localPath = input.WideChunk();
    link.workingDirectory = input.WideChunk();
    link.arguments = input.WideChunk();

    const std::string bytes = ShellLinkBytes(link);
    const ReadBack back = Read(bytes, link);
    CheckString(back.localPath, link.localPath);
    CheckString(back.workingDirectory, link.workingDirectory);
    CheckString(back.arguments, link.arguments);

    const std::optional<ShellLinkContents> reread = ReadShellLinkBytes(bytes);
    FUZZ_CHECK(reread.has_value());
    FUZZ_CHECK(reread->fileAttributes == link.fileAttributes);
    FUZZ_CHECK(reread->creationTime == link.creationTime);
    FUZZ_CHECK(reread->accessTime == link.accessTime);
    FUZZ_CHECK(reread->writeTime == link.writeTime);
    FUZZ_CHECK(reread->fileSize == link.fileSize);
    // What the format reader found is what the emulated reader finds.
    FUZZ_CHECK(reread->localPath == back.localPath.value_or(L""));
    FUZZ_CHECK(reread->workingDirectory == back.workingDirectory.value_or(L""));
    FUZZ_CHECK(reread->arguments == back.arguments.value_or(L""));
    return 0;
}
