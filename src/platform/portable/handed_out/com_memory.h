// The memory COM hands out for its caller to free, for the portable backends: automation strings
// (a length prefix, the characters and a terminator, as on Windows, so that every backend
// allocates and frees them the same way), and the task memory of CoTaskMemAlloc, the process's
// heap, which every backend and the caller share (defined here, declared in platform_api.h).
#pragma once

#include "platform_api.h"

// A copy of text, or null when text is null or memory runs short.
BSTR AllocateBstr(const OLECHAR* text);
// Frees a string from AllocateBstr; null is ignored.
void FreeBstr(BSTR text);
