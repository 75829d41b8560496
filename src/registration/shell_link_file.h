// Writing a task's shell link (.lnk), which starts a program or opens a document.
#pragma once

#include "platform_api.h"

// Writes a shell link to targetPath at shortcutPath, with arguments (none when null) and the
// folder of the target's full path as its working folder (none when that cannot be had). A
// setter that fails stops it before anything is saved: a shortcut that starts something else
// than the task line says is worse than none. A working folder of MAX_PATH characters or more
// is refused with ERROR_FILENAME_EXCED_RANGE.
HRESULT SaveShellLink(const wchar_t* shortcutPath, const wchar_t* targetPath,
                      const wchar_t* arguments);
