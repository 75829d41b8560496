// The texts the program shows before and instead of its work: the banner and the usage block,
// each printed after an empty line, one text a line; and the line that refuses a -guid: text.
// Kept here once, for the program and for every test that expects them.
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
