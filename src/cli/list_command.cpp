// The list command: every game registration the program can see, as the lookup by path sees it,
// so that "why does the uninstall not find my game" has an answer. Changes nothing.
#include <iostream>
#include <set>
#include <utility>

#include "commands.h"
#include "output/program_texts.h"
#include "output/reason_line.h"
#include "registration/game_identity.h"
#include "registration/guid_text.h"
#include "registration/task_listing.h"

namespace {

const char* ScopeWord(int scope) {
    return scope == GIS_CURRENT_USER ? kCurrentUserScopeWord : kAllUsersScopeWord;
}

void PrintRecord(const RegistrationRecord& record) {
    WriteLineWithCopy(std::cout, DebugOut(), BracedGuid(record.gameId), " ",
                      ScopeWord(record.scope), " ", record.path,
                      record.gameExplorerRecord ? kGameExplorerRecordText : kUpgradeKeyText,
                      record.stale ? kStaleRecordEnd : kRecordEnd);
}

// "    play 0: Play -> C:\Games\Demo\demo.exe -windowed", one line per task shortcut.
void PrintTasks(int scope, const GUID& gameId) {
    std::vector<ListedTask> tasks;
    if (const HRESULT listed = ListGameTasks(scope, gameId, tasks); FAILED(listed)) {
        WriteFailure(listed, BracedGuid(gameId), BracedGuid(gameId), kTasksNotListedText);
        return;
    }
    for (const ListedTask& task : tasks) {
        WriteLineWithCopy(std::cout, DebugOut(), kListedTaskIndent, TaskKindRowOf(task.kind).word,
                          " ", task.index, ": ", task.name, kListedTaskTargetText, task.target,
                          task.arguments.empty() ? "" : " ", task.arguments);
    }
}

}  // namespace

void RunListCommand() {
    RunsToTheEnd([] {
        const std::vector<RegistrationRecord> records = ListRegistrations();
        if (records.empty()) {
            WriteLineWithCopy(std::cout, DebugOut(), kNoGameRegisteredText);
        }
        // A scope's tasks belong to the GUID, not to one record: shown below its first record.
        std::set<std::pair<std::wstring, int>> tasksShown;
        for (const RegistrationRecord& record : records) {
            PrintRecord(record);
            if (tasksShown.emplace(BracedGuid(record.gameId), record.scope).second) {
                PrintTasks(record.scope, record.gameId);
            }
        }
    });
}
