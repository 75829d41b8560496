// Reading a binary shell link (.lnk) back: what shell_link_format.h writes, and any link of that
// format whose target is a local path. Every offset and count is checked against the bytes, so a
// truncated or hostile file is refused, never read past.
#pragma once

#include <optional>
#include <string_view>

#include "emulated/shell/shell_link_format.h"

// The link's target (its local path: the base path and common suffix of the LinkInfo block,
// Unicode form when there is one), working folder, arguments and the header's facts about the
// target; none when the bytes are no well-formed link (a wrong header size or class, a block or
// string that runs past its end, a path without its terminator, extra data without its end).
std::optional<ShellLinkContents> ReadShellLinkBytes(std::string_view bytes);
