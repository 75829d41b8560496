// Reason lines reduced to the code they report, for tests that pin which failure a run reports
// but leave its wording to the system (whose messages are tested where they are kept).
#pragma once

#include <string>
#include <vector>

// text with every reason line ("  reason: <message> (0x...)" or "  reason: error 0x...") cut
// down to "  reason: 0x...".
std::string WithReasonCodesOnly(const std::string& text);

// The same for lines without their line feeds, such as the diagnostic lines of one channel.
std::vector<std::string> WithReasonCodesOnly(std::vector<std::string> lines);

// The reduced reason line for code ("0x80070002"), with its line feed.
std::string ReasonCode(const std::string& code);

// The reason line for a system message and its code ("0x80070002"), with its line feed.
std::string ReasonLine(const std::string& message, const std::string& code);

// The reason line for a code without a message, with its line feed.
std::string ReasonWithoutMessageLine(const std::string& code);
