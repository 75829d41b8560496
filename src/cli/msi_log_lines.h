// Which line of the MSI log each line the program prints becomes, when the MSI custom action runs
// it: the program's lines behind a prefix that tells them from msiexec's own.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The prefix of every line the custom action writes into the MSI log. A literal too, so that the
// lines the action writes when the run itself cannot (out of memory, where nothing may be
// allocated) are spelt with it: L"" BRACKENFOLD_MSI_LOG_PREFIX "...".
#define BRACKENFOLD_MSI_LOG_PREFIX "Brackenfold: "
inline constexpr std::string_view kMsiLogLinePrefix = BRACKENFOLD_MSI_LOG_PREFIX;

// The log line for consoleLine (a line the program printed, without its line break): the prefix
// and the line; nothing for an empty line, which would log a bare prefix. With formattedAgain,
// for an installer that formats a record's inserted field once more, each of [ ] { } is written
// as its escape "[\c]", which that formatting turns back into the character. The text is kept
// byte for byte otherwise, in whatever code page it came in (bytes of a multi-byte character are
// never these four).
std::optional<std::string> MsiLogLineFor(std::string_view consoleLine, bool formattedAgain);
