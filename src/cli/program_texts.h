// The texts the program shows before and instead of its work: the banner and the usage block.
// Each is printed after an empty line, one text a line. Kept here once, for the program and for
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
    ("\tBrackenfold.exe [<-guid:>GUID] <-add current>|<-add all>|<-del> <path> "
     "[Name;path;kind[;args] [Name;path;kind[;args] [...]]]"),
    "\t<-guid:> - GUID for game",
    "\t<-add current> - Add game into current user explorer",
    "\t<-add all> - Add game into all user explorers",
    "\t<-del> - Remove game from game explorer",
    "\t<path> - path to binary executable",
    "\n\t\tName - Task name to add",
    "\t\tpath - path to binary file",
    "\t\tkind - support for a support task, anything else for a play task",
    "\t\targs - optional arguments",
};
