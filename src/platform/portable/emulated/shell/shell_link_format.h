// The binary shell link (.lnk) format, as far as a shortcut to a local file needs it: the
// 76-byte header, a LinkInfo block with the target's volume and full local path (in the ANSI
// and the Unicode form), and the working folder and arguments as Unicode string data.
#pragma once

#include <cstdint>
#include <string>

#include "platform_api.h"

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
