// Text of host file names: the bytes that the host's file system keeps, seen as wide text the
// way the program sees its command-line arguments (multibyte encoding of the current locale;
// undecodable bytes as U+DC80..U+DCFF), so that a name round-trips byte for byte.
#pragma once

#include <string>

std::string WideToHost(std::wstring_view text);
std::wstring HostToWide(std::string_view text);
