#include "usage.h"

#include <cstdlib>
#include <iostream>

#include "output/message_line.h"

namespace {

constexpr const char* kUsageTexts[] = {
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

constexpr int kUsageExitStatus = 1;

}  // namespace

void PrintUsage() {
    std::cout << std::endl;
    for (const char* text : kUsageTexts) {
        WriteLine(std::cout, text);
    }
    std::exit(kUsageExitStatus);
}
