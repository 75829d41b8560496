// Splits captured console text into its lines, to compare them one by one.
#pragma once

#include <string>
#include <vector>

// The lines of text, each without its line feed; text after the last line feed is not a line.
std::vector<std::string> LinesOf(const std::string& text);
