// The game's task shortcuts: one shortcut file per play or support task in the folder tree where
// Game Explorer looks for them, below the user's or the common application data folder: the
// game's task tree (folder_paths.h), then <PlayTasks or SupportTasks>\<index>\<name>.lnk (or
// <name>.url for a web address). Written by task_creation.cpp (checks in task_checks.cpp, the
// files in shell_link_file.cpp and internet_shortcut_file.cpp), removed by task_removal.cpp. A
// user can write their own task folders and a game's GUID is no secret, so a link (a reparse
// point: symbolic link, junction, mount point) may be planted anywhere in the tree: nothing is
// written into one, entered or deleted through one (task_entry_kind.h).
#pragma once

#include "task_creation.h"
#include "task_removal.h"
