// Every fixed text the program prints: the banner and the usage block (each printed after an
// empty line, one text a line), the fixed parts of the lines of a run, each beside the path, task
// name or GUID it is about, and the diagnostic lines. Kept here once, for the program and for
// every test that expects them.
#pragma once

#include "brackenfold_version.h"

inline constexpr const char* kBannerTexts[] = {
    "Brackenfold v " BRACKENFOLD_VERSION_SHORT_TEXT ".",
    BRACKENFOLD_DESCRIPTION ".",
};

inline constexpr const char* kUsageTexts[] = {
    "Usage:",
    // One text split for line length; the parentheses tell clang the concatenation is meant.
    ("\tBrackenfold.exe [-exitcode] [-nologo] [<-guid:>GUID] "
     "<-add current>|<-add all>|<-del> <path> [Name;path;kind[;args] [Name;path;kind[;args] "
     "[...]]]"),
    "\tBrackenfold.exe [-nologo] -list",
    "\t-exitcode - Exit status tells the outcome: 0 done, 2 not done, 3 tasks not as asked",
    "\t-nologo - No banner",
    "\t<-guid:> - GUID for game, braced: {01234567-89AB-CDEF-0123-456789ABCDEF}",
    "\t<-add current> - Add game into current user explorer",
    "\t<-add all> - Add game into all user explorers",
    "\t<-del> - Remove game from game explorer",
    "\t<-list> - Show every game registration and its tasks, changing nothing",
    "\t<path> - path to binary executable",
    "\n\t\tName - Task name to add",
    "\t\tpath - path to binary file",
    "\t\tkind - support for a support task, anything else for a play task",
    "\t\targs - optional arguments",
};

// After "GUID <text as typed>" on standard error, for a -guid: text that is not exactly a braced
// GUID: the run goes on without it (or, with -exitcode, stops with the usage status).
inline constexpr const char* kGuidIgnoredText =
    " ignored: not a braced GUID such as {01234567-89AB-CDEF-0123-456789ABCDEF}";

// "GUID <text as typed> obtained" on standard output, for a -guid: text that is taken.
inline constexpr const char* kGuidLineStart = "GUID ";
inline constexpr const char* kGuidObtainedText = " obtained";

// The last line of every run that is not cut short.
inline constexpr const char* kDoneText = "done.";

// The line after every failure line, then the system's message (or "error ") and the code.
inline constexpr const char* kReasonLineStart = "  reason: ";
inline constexpr const char* kReasonWithoutMessageText = "error ";

// -add: after the path as typed.
inline constexpr const char* kNotAddedText = " not added.";
// -add (the earlier run's tasks) and -del: after the path as typed.
inline constexpr const char* kTasksNotRemovedText = " tasks not removed.";

// -add: "<path> registration <GUID> replaced." for each other GUID's registration of the game in
// the add's scope, which the add removes first, or "... not replaced." and the reason.
inline constexpr const char* kOtherRegistrationText = " registration ";
inline constexpr const char* kReplacedText = " replaced.";
inline constexpr const char* kNotReplacedText = " not replaced.";

// -add: one line for each task line, "task <name> added at <index>" or "task <name> not added.",
// or the line that skips it.
inline constexpr const char* kTaskLineStart = "task ";
inline constexpr const char* kTaskAddedAtText = " added at ";
inline constexpr const char* kTaskLineTooShortText =
    "Task line skipped because of too few parameters: ";
inline constexpr const char* kTaskNameEmptyText = "Task name is empty";
// -add, on standard error after "task <name> added at <index>": "task <name> starts a missing
// file: <path>" for a target (not a web address) that does not exist.
inline constexpr const char* kTaskTargetMissingText = " starts a missing file: ";

// -del: after the path as typed.
inline constexpr const char* kTasksRemovedText = " tasks removed.";
inline constexpr const char* kRemovedText = " removed.";
inline constexpr const char* kNotRemovedText = " not removed. Cannot remove";
inline constexpr const char* kNotFoundText = " not removed. Cannot retrieve information";

// -list: "<GUID> <scope> <path> (<kind of record>[, stale])" for each record, below it
// "    <task kind> <index>: <name> -> <target>[ <arguments>]" for each task shortcut.
inline constexpr const char* kNoGameRegisteredText = "No game is registered.";
inline constexpr const char* kCurrentUserScopeWord = "current";
inline constexpr const char* kAllUsersScopeWord = "all";
inline constexpr const char* kGameExplorerRecordText = " (Game Explorer record";
inline constexpr const char* kUpgradeKeyText = " (upgrade key";
inline constexpr const char* kStaleRecordEnd = ", stale)";
inline constexpr const char* kRecordEnd = ")";
inline constexpr const char* kListedTaskIndent = "    ";
inline constexpr const char* kListedTaskTargetText = " -> ";
// After a listed task whose target (not a web address) does not exist.
inline constexpr const char* kListedTaskMissingEnd = " (missing)";
inline constexpr const char* kTasksNotListedText = " tasks not listed.";

// ---- Diagnostic lines (DebugOut and DebugErr), which have no console copy ----
inline constexpr const char* kTooFewArgumentsText = "Too few arguments: ";
inline constexpr const char* kTooFewForAddText = "Too few arguments for add: ";
inline constexpr const char* kTooFewForDeleteText = "Too few arguments for del: ";
inline constexpr const char* kUnknownCommandText = "Unknown command: ";
inline constexpr const char* kGuidEchoText = "GUID: ";
inline constexpr const char* kCommandEchoText = "Command: ";
inline constexpr const char* kRunCutShortText = "The run was cut short by a failure";
inline constexpr const char* kOutOfMemoryText = "Out of memory: the command was cut short";
inline constexpr const char* kScopeEchoText = "User: ";
inline constexpr const char* kBinaryEchoText = "bin:";
inline constexpr const char* kInstallFolderEchoText = "install:";
inline constexpr const char* kGameAddedText = "Game added. Adding tasks...";
inline constexpr const char* kTaskLineEchoText = "Task line: ";
inline constexpr const char* kSkippedEnd = ". Skipped";
inline constexpr const char* kRegisteredBeforeAsText = "Registered before as ";
inline constexpr const char* kRegisteringAgainEnd = ": registering again under that GUID";
inline constexpr const char* kStaleRecordText = "A stale record names the path under ";
inline constexpr const char* kStaleRecordNewGuidEnd = ": registering under a new GUID";
inline constexpr const char* kStaleRecordRemovedAloneEnd = ": removing that record alone";
inline constexpr const char* kDeleteBinaryEchoText = "Bin path: ";
inline constexpr const char* kRetrievingGuidText = "Retrieving GUID... ";
inline constexpr const char* kAlsoRegisteredAsText = "Also registered as ";
inline constexpr const char* kNoRecordOfText = "No record of ";
inline constexpr const char* kLookingUpByPathEnd = ": looking the game up by its path";
inline constexpr const char* kRemovedWithoutLockText = "Removed without the game's lock";
inline constexpr const char* kLookedUpWithoutLockText = "Looked up without the game's path lock";
inline constexpr const char* kLockText = "The lock ";
inline constexpr const char* kLockHeldElsewhereEnd = " is held elsewhere past the run's deadline";
