// Messages for the codes the program raises itself, for a system that has no text for one of them
// (Wine has none for ERROR_FILE_TOO_LARGE): a reason line then still says why, in Windows' words.
#pragma once

#include <string_view>

#include "platform_api.h"

// The message for result when the program raises that code itself, without its line break (a %1
// in it stands for the line's subject, as in the system's messages); empty for any other code.
std::wstring_view ProgramErrorMessageFor(HRESULT result);

// A code of the program's own (the customer bit set, so that no system message stands for it):
// an add for the current user, run as the system account.
inline constexpr HRESULT kCurrentUserIsSystemAccount = static_cast<HRESULT>(0xA0040001);
// A game's task folders hold a link (a reparse point: symbolic link, junction, mount point) or an
// entry that the program did not write: it is left where it is, and nothing is written or
// removed through it.
inline constexpr HRESULT kTaskFolderHoldsLinkOrForeignEntry = static_cast<HRESULT>(0xA0040002);
// A task line holding a quote that no quoting of its own explains: the command line's quoting
// broke it (its %1 is the line as received).
inline constexpr HRESULT kStrayQuoteInTaskLine = static_cast<HRESULT>(0xA0040003);
