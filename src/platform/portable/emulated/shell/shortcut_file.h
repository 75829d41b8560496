// Saving and loading a shortcut file (.lnk or .url) on the emulated drives, with the results
// Windows gives.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "emulated/files/drive_mapping.h"
#include "platform_api.h"

// Writes bytes to fileName, replacing a file of that name atomically. S_OK; or a failure when the
// folder does not exist, the name is not a valid Windows file name, the full path does not fit
// MAX_PATH, or the file cannot be written.
HRESULT SaveShortcutFile(const DriveMapping& drives, LPCOLESTR fileName, std::string_view bytes);

// The longest shortcut file that is read: a shortcut to a file takes a few hundred bytes, and a
// larger file is no shortcut this system wrote.
inline constexpr std::size_t kMaxShortcutFileBytes = 1024 * 1024;

// Reads the bytes of fileName into bytes. S_OK; or a failure when the file does not exist
// (ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND when its folder is missing too), the name is
// not a valid Windows file name, it is a folder or cannot be read (E_ACCESSDENIED), or it is
// larger than kMaxShortcutFileBytes (ERROR_FILE_TOO_LARGE).
HRESULT LoadShortcutFile(const DriveMapping& drives, LPCOLESTR fileName, std::string& bytes);
