// What the program prints before and instead of its work, as the tests expect it exactly.
#pragma once

#include <string>

inline const std::string kExpectedBanner =
    "\nBrackenfold v 1.0.\nRegisters games and their tasks with Windows Game Explorer.\n";

inline const std::string kExpectedUsage =
    "\nUsage:\n"
    "\tBrackenfold.exe [<-guid:>GUID] <-add current>|<-add all>|<-del> <path> "
    "[Name;path;kind[;args] [Name;path;kind[;args] [...]]]\n"
    "\t<-guid:> - GUID for game\n"
    "\t<-add current> - Add game into current user explorer\n"
    "\t<-add all> - Add game into all user explorers\n"
    "\t<-del> - Remove game from game explorer\n"
    "\t<path> - path to binary executable\n"
    "\n\t\tName - Task name to add\n"
    "\t\tpath - path to binary file\n"
    "\t\tkind - support for a support task, anything else for a play task\n"
    "\t\targs - optional arguments\n";
