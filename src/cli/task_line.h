// The task line format of the add command: name;path;kind[;arguments], fields split by
// FieldSplitter with ";" as separator and both quotation marks as quotes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "registration/task_kind.h"

struct TaskSpec {
    std::wstring name;  // field 0; may be empty (the add command rejects that)
    std::wstring path;  // field 1, unchanged
    // field 2: the kind whose word it is in any letter case, else the default kind
    TaskKind kind = DefaultTaskKind();
    std::wstring arguments;  // field 3, or empty
};

// The fields of one task line.
std::vector<std::wstring> SplitTaskLine(const std::wstring& line);

// The task a line describes, or none when it has fewer than 3 fields.
std::optional<TaskSpec> ParseTaskLine(const std::wstring& line);
