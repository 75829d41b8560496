// Wide text to the narrow text that the console streams carry.
#pragma once

#include <string>

#include "platform_api.h"

// The text in codePage, as an independent string. Characters the code page cannot represent
// become its default character; a text that cannot be converted at all gives an empty string.
// Not safe to call from two threads at once: all calls share one conversion buffer.
std::string ToNarrow(const std::wstring& text, UINT codePage);
