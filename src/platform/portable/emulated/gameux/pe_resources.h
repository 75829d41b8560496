// Reads a named resource out of a Windows executable or DLL file (PE32 or PE32+) without loading
// it: the file is only ever read at offsets that its own headers give, each one checked against
// the file first, so that a damaged or hostile file yields nothing rather than a crash.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include "platform_api.h"

// ERROR_SUCCESS when the file is a PE image whose headers and section table lie within it (what
// the loader maps as a data file), else ERROR_BAD_EXE_FORMAT.
LONG CheckImage(std::istream& image);

struct ResourceLookup {
    // Why the resource is not there, as the loader reports it: ERROR_SUCCESS when it was found,
    // ERROR_BAD_EXE_FORMAT when the file is no image, ERROR_RESOURCE_DATA_NOT_FOUND when it has
    // no resources at all, ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND, or
    // ERROR_RESOURCE_LANG_NOT_FOUND when the name lists no language.
    LONG error = ERROR_SUCCESS;
    // Its bytes; nothing when it was not found, they lie outside the file, or there are more
    // than the caller's maxSize (its size is the file's claim: such bytes are not read).
    std::optional<std::string> bytes;
    // The size its data entry claims, read or not (0 when the entry itself is not in the file).
    std::uint32_t claimedSize = 0;
};

// The resource of the given type and name (both names, not numeric identifiers, compared as the
// loader compares them: without regard to ASCII case) in the first language that the file lists
// for it. A directory that lies outside the file counts as missing.
ResourceLookup FindNamedResource(std::istream& image, std::u16string_view type,
                                 std::u16string_view name, std::uint32_t maxSize);
