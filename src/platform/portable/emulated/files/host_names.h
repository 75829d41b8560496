// How the emulated drives keep a Windows name on the host. Windows allows 255 UTF-16 units in a
// name; the host allows 255 bytes, which 130 "é" or 90 "日" already pass in UTF-8. A name whose
// host text is short enough is kept as that text; a longer one under an escaped name: the start
// of the name, "|" (which no Windows name holds, so no plain name looks like one) and a hash of
// the whole name. Both come from the name with its case folded, so every spelling of a long name
// that Windows takes as the same name finds the same host name, without reading the folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The longest name Windows holds, in UTF-16 units, and the longest the host holds, in bytes.
inline constexpr std::size_t kMaxWindowsNameLength = 255;
inline constexpr std::size_t kMaxHostNameBytes = 255;

// The host name under which name is created: its host text, or its escaped name when that text
// would leave no room for the temporary name of an atomic replacement beside it.
std::string HostNameFor(std::wstring_view name);

// The escaped host name of name (at most 217 bytes).
std::string EscapedHostName(std::wstring_view name);

// False when no spelling of name is long enough to be escaped, so its escaped name need not
// be looked for.
bool MayBeEscaped(std::wstring_view name);
