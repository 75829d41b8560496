// The two kinds of task Game Explorer shows, from the task line's kind field to the name of the
// folder the shortcut lands in.
#pragma once

enum class TaskKind { Play, Support };
