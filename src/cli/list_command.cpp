// The list command: every game registration the program can see, as the lookup by path sees it,
// so that "why does the uninstall not find my game" has an answer. Changes nothing.
#include <iostream>

#include "commands.h"
#include "registration/game_identity.h"
#include "registration/guid_text.h"

namespace {

const char* ScopeWord(int scope) {
    return scope == GIS_CURRENT_USER ? "current" : "all";
}

void PrintRecord(const RegistrationRecord& record) {
    WriteLineWithCopy(std::cout, DebugOut(), BracedGuid(record.gameId), " ",
                      ScopeWord(record.scope), " ", record.path, " (",
                      record.gameExplorerRecord ? "Game Explorer record" : "upgrade key",
                      record.stale ? ", stale)" : ")");
}

}  // namespace

void RunListCommand() {
    RunsToTheEnd([] {
        const std::vector<RegistrationRecord> records = ListRegistrations();
        if (records.empty()) {
            WriteLineWithCopy(std::cout, DebugOut(), "No game is registered.");
        }
        for (const RegistrationRecord& record : records) {
            PrintRecord(record);
        }
    });
}
