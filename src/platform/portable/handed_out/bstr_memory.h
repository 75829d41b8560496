// Storage of automation strings for the portable backends: a length prefix, the characters and a
// terminator, as on Windows, so that every backend allocates and frees them the same way.
#pragma once

#include "platform_api.h"

// A copy of text, or null when text is null or memory runs short.
BSTR AllocateBstr(const OLECHAR* text);
// Frees a string from AllocateBstr; null is ignored.
void FreeBstr(BSTR text);
