// The names the program gives the entries of a game's task tree (task_shortcuts.h): the kind
// folders, the index folders below them and the shortcut files in those. Whatever has another
// name is not the program's: the listing skips it and the removal leaves it.
#pragma once

#include <optional>
#include <string_view>

// Whether two names (or paths) of the task tree are one to the file system: ordinal, without
// regard to case.
bool EqualIgnoringCase(std::wstring_view a, std::wstring_view b);

// The index that a folder of this name holds, when the program could have made it: the decimal
// digits of a non-negative int, without leading zeros.
std::optional<int> TaskIndexNamed(std::wstring_view name);

// Whether name is a kind's folder name (PlayTasks, SupportTasks), in any letter case.
bool IsTaskKindFolderName(std::wstring_view name);

// What a shortcut file of this name is: a shell link "<name>.lnk", an Internet shortcut
// "<name>.url" (either extension in any letter case, after a name of at least one character),
// or neither.
enum class ShortcutFileKind { NotAShortcut, LnkFile, UrlFile };
ShortcutFileKind ShortcutFileKindOf(std::wstring_view name);
