// Saving a shortcut file (.lnk or .url) on the emulated drives, with the results Windows gives.
#pragma once

#include <string_view>

#include "emulated/files/drive_mapping.h"
#include "platform_api.h"

// Writes bytes to fileName, replacing a file of that name atomically. S_OK; or a failure when the
// folder does not exist, the name is not a valid Windows file name, the full path does not fit
// MAX_PATH, or the file cannot be written.
HRESULT SaveShortcutFile(const DriveMapping& drives, LPCOLESTR fileName, std::string_view bytes);
