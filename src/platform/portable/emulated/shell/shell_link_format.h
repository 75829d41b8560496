// The binary shell link (.lnk) format, as far as a shortcut to a local file needs it: the
// 76-byte header, a LinkInfo block with the target's volume and full local path (in the ANSI
// and the Unicode form), and the working folder and arguments as Unicode string data.
#pragma once

#include <cstdint>
#include <string>

#include "platform_api.h"

// The facts of the format that the writer (shell_link_format.cpp) and the reader
// (shell_link_reader.cpp) share.
namespace shell_link_format {
inline constexpr std::uint32_t kHeaderSize = 0x4C;
// Link flags.
inline constexpr std::uint32_t kHasLinkTargetIdList = 0x01;
inline constexpr std::uint32_t kHasLinkInfo = 0x02;
inline constexpr std::uint32_t kHasName = 0x04;
inline constexpr std::uint32_t kHasRelativePath = 0x08;
inline constexpr std::uint32_t kHasWorkingDir = 0x10;
inline constexpr std::uint32_t kHasArguments = 0x20;
inline constexpr std::uint32_t kHasIconLocation = 0x40;
inline constexpr std::uint32_t kIsUnicode = 0x80;
// LinkInfo: the header without (0x1C bytes) or with (0x24 and more) the Unicode offsets, and the
// flag of a local volume and base path.
inline constexpr std::uint32_t kLinkInfoHeaderSize = 0x1C;
inline constexpr std::uint32_t kLinkInfoUnicodeHeaderSize = 0x24;
inline constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x1;
}  // namespace shell_link_format

struct ShellLinkContents {
    std::wstring localPath;         // full path of the target; empty: no LinkInfo block
    std::wstring workingDirectory;  // empty: none
    std::wstring arguments;         // empty: none
    // What the header records about the target, zero when it does not exist.
    DWORD fileAttributes = 0;
    std::uint64_t creationTime = 0;  // FILETIME: 100 ns units since 1601
    std::uint64_t accessTime = 0;
    std::uint64_t writeTime = 0;
    std::uint32_t fileSize = 0;
};

// The file's bytes. Strings longer than a counted string can hold (65535 UTF-16 units) are cut.
std::string ShellLinkBytes(const ShellLinkContents& link);
