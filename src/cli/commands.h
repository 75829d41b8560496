// The two commands that the entry routine runs. Each reports every outcome in its own message
// lines and returns what each of its steps did, from which the entry routine tells its caller the
// outcome when asked to (-exitcode).
#pragma once

#include <new>

#include "command_request.h"
#include "output/debug_streams.h"
#include "output/message_line.h"
#include "output/program_texts.h"
#include "platform_api.h"

// What "-add" did. A task line is either added, skipped (too few fields or an empty name) or not
// added (the system refused it, or the game has no GUID to keep tasks under).
struct AddOutcome {
    bool registered = false;
    int tasksSkipped = 0;
    int tasksNotAdded = 0;
    // The tasks of an earlier add could not be removed, so old shortcuts may stand beside the
    // new ones: the tasks are not as asked.
    bool oldTasksLeft = false;
    // Another GUID's registration of the game in the add's scope could not be removed: the game
    // may be registered twice.
    bool otherRegistrationLeft = false;
    // Memory ran out between two steps: the task lines after that point were not looked at.
    bool cutShort = false;
};

// What "-del" did.
struct DeleteOutcome {
    // Something of the game may still be registered: a removal failed, a lookup could not tell,
    // or the command was cut short before it knew.
    bool registrationLeft = true;
    // A task folder could not be removed.
    bool taskFoldersLeft = false;
    // Of those, one was left because it holds a link or an entry the program did not write.
    bool linkOrForeignEntryLeft = false;
};

// "-add": registers the game for the request's scope and creates a shortcut for each task line;
// without a GUID, a game registered before under the same path keeps its GUID.
AddOutcome RunAddCommand(const CommandRequest& request);

// "-del": without a GUID, finds every registration of the path and removes each (task folders
// of both scopes, then every record of its GUID); with one, removes that GUID's.
DeleteOutcome RunDeleteCommand(const CommandRequest& request);

// "-list": prints every game registration the program can see, with the task shortcuts of its
// scope. Changes nothing.
void RunListCommand();

// A step of a command that runs out of memory fails like any other step: its failure line is
// printed and the run goes on to "done.". The operation's HRESULT, or E_OUTOFMEMORY.
template <typename Operation>
HRESULT UnlessOutOfMemory(Operation&& operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// Runs a command's steps. An allocation that fails between two steps ends the command, not the
// run, which still reports "done."; false then, and a diagnostic line says so.
template <typename Steps>
bool RunsToTheEnd(Steps&& steps) {
    try {
        steps();
        return true;
    } catch (const std::bad_alloc&) {
        WriteLine(DebugErr(), kOutOfMemoryText);
        return false;
    }
}
