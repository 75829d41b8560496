// The kinds of task Game Explorer shows, one row each: the word of a task line's kind field that
// asks for it, and the folder below the game's task tree that its shortcuts land in. The task
// line parser, the add command's counters, the task folders, their removal and their listing all
// go through kTaskKinds, so that a new kind is one enumerator and its row here.
#pragma once

#include <cstddef>
#include <iterator>

enum class TaskKind { Play, Support };

struct TaskKindRow {
    TaskKind kind;
    const wchar_t* word;    // the kind field that asks for it, in any letter case
    const wchar_t* folder;  // its folder's name below the game's task tree
    bool isDefault;         // the kind of a task line whose kind field names no kind
};

// In the order of TaskKind's enumerators, which is also the order tasks are removed and listed.
inline constexpr TaskKindRow kTaskKinds[] = {
    {TaskKind::Play, L"play", L"PlayTasks", true},
    {TaskKind::Support, L"support", L"SupportTasks", false},
};
inline constexpr std::size_t kTaskKindCount = std::size(kTaskKinds);

constexpr std::size_t TaskKindIndex(TaskKind kind) {
    return static_cast<std::size_t>(kind);
}

constexpr const TaskKindRow& TaskKindRowOf(TaskKind kind) {
    return kTaskKinds[TaskKindIndex(kind)];
}

// The kind of a task line whose kind field names none of the kinds.
constexpr TaskKind DefaultTaskKind() {
    for (const TaskKindRow& row : kTaskKinds) {
        if (row.isDefault) {
            return row.kind;
        }
    }
    return kTaskKinds[0].kind;
}

// Each row sits at its enumerator's index, so that TaskKindRowOf finds it there.
constexpr bool RowsFollowTheEnumerators() {
    for (std::size_t i = 0; i < kTaskKindCount; ++i) {
        if (TaskKindIndex(kTaskKinds[i].kind) != i) {
            return false;
        }
    }
    return true;
}
static_assert(RowsFollowTheEnumerators());

constexpr std::size_t DefaultRowCount() {
    std::size_t count = 0;
    for (const TaskKindRow& row : kTaskKinds) {
        count += row.isDefault ? 1 : 0;
    }
    return count;
}
static_assert(DefaultRowCount() == 1, "exactly one kind is the default");
