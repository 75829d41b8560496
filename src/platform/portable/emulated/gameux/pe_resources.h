// Reads a named resource out of a Windows executable or DLL file (PE32 or PE32+) without loading
// it: the file is only ever read at offsets that its own headers give, each one checked against
// the file first, so that a damaged or hostile file yields nothing rather than a crash.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

// The bytes of the resource of the given type and name (both names, not numeric identifiers,
// compared as the loader compares them: without regard to ASCII case) in the first language
// that the file lists for it. Nothing when the file is no PE image, has no such resource, or
// any header, directory or data it leads to lies outside the file, and nothing either when the
// resource is larger than maxSize bytes: its size is the file's claim, and is not read.
std::optional<std::string> FindNamedResource(std::istream& image, std::u16string_view type,
                                             std::u16string_view name, std::uint32_t maxSize);
