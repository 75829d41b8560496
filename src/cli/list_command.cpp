// The list command: every game registration the program can see, as the lookup by path sees it,
// so that "why does the uninstall not find my game" has an answer. Changes nothing.
#include <iostream>
#include <optional>
#include <set>
#include <utility>

#include "commands.h"
#include "output/program_texts.h"
#include "output/reason_line.h"
#include "registration/guid_text.h"
#include "registration/registration_listing.h"
#include "registration/task_checks.h"
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

// The task listing of each scope, made when the scope's first record is shown: a listing without
// records asks for no folder.
class ScopeTaskListings {
  public:
    const ScopeTaskListing& Of(int scope) {
        std::optional<ScopeTaskListing>& listing =
            scope == GIS_CURRENT_USER ? currentUser_ : allUsers_;
        if (!listing) {
            listing.emplace(scope);
        }
        return *listing;
    }

  private:
    std::optional<ScopeTaskListing> currentUser_;
    std::optional<ScopeTaskListing> allUsers_;
};

// "    play 0: Play -> C:\Games\Demo\demo.exe -windowed", one line per task shortcut.
void PrintTasks(const ScopeTaskListing& listing, const GUID& gameId) {
    std::vector<ListedTask> tasks;
    if (const HRESULT listed = listing.List(gameId, tasks); FAILED(listed)) {
        WriteFailure(listed, BracedGuid(gameId), BracedGuid(gameId), kTasksNotListedText);
        return;
    }
    for (const ListedTask& task : tasks) {
        WriteLineWithCopy(std::cout, DebugOut(), kListedTaskIndent, TaskKindRowOf(task.kind).word,
                          " ", task.index, ": ", task.name, kListedTaskTargetText, task.target,
                          task.arguments.empty() ? "" : " ", task.arguments,
                          TaskTargetIsMissing(task.target.c_str()) ? kListedTaskMissingEnd : "");
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
        ScopeTaskListings listings;
        for (const RegistrationRecord& record : records) {
            PrintRecord(record);
            if (tasksShown.emplace(BracedGuid(record.gameId), record.scope).second) {
                PrintTasks(listings.Of(record.scope), record.gameId);
            }
        }
    });
}
