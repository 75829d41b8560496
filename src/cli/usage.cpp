#include "usage.h"

#include <cstdlib>
#include <iostream>

#include "output/message_line.h"
#include "program_texts.h"

namespace {

constexpr int kUsageExitStatus = 1;

}  // namespace

void PrintUsage() {
    std::cout << std::endl;
    for (const char* text : kUsageTexts) {
        WriteLine(std::cout, text);
    }
    std::exit(kUsageExitStatus);
}
