// The system's message texts, as FormatMessageW finds them in the system's message table: the
// English text of every code that the program or the emulated system produces, and none for any
// other code.
#pragma once

#include <optional>
#include <string_view>

#include "platform_api.h"

// The text for a Win32 error code or an HRESULT that is no Win32 error, as Windows writes it:
// inserts such as %1 left in place, ending in a line break. Nothing for codes the table lacks.
std::optional<std::wstring_view> SystemMessageText(DWORD messageId);
