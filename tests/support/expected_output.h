// What the program prints before and instead of its work, as the tests expect it exactly: built
// from the program's own texts, each after an empty line and one a line.
#pragma once

#include <string>

#include "cli/program_texts.h"

template <typename Texts>
std::string LinesAfterAnEmptyLine(const Texts& texts) {
    std::string lines = "\n";
    for (const char* text : texts) {
        lines += std::string(text) + "\n";
    }
    return lines;
}

inline const std::string kExpectedBanner = LinesAfterAnEmptyLine(kBannerTexts);
inline const std::string kExpectedUsage = LinesAfterAnEmptyLine(kUsageTexts);
