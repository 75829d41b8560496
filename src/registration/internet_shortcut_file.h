// Writing a task's Internet shortcut (.url), which opens a web address.
#pragma once

#include "platform_api.h"

// Writes an Internet shortcut that opens address at shortcutPath.
HRESULT SaveInternetShortcut(const wchar_t* shortcutPath, const wchar_t* address);
