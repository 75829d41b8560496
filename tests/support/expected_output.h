// What the program prints before and instead of its work, as the tests expect it exactly: built
// from the program's own texts, each after an empty line and one a line.
#pragma once

#include <algorithm>
#include <string>

#include "output/program_texts.h"
#include "registration/task_kind.h"

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

// The lines of a run, each with its line feed, built from the program's own texts around the
// path, task name or code that a test chooses.
inline std::string DoneLine() {
    return std::string(kDoneText) + "\n";
}
inline std::string GuidObtainedLine(const std::string& text) {
    return kGuidLineStart + text + kGuidObtainedText + "\n";
}
inline std::string GuidIgnoredLine(const std::string& text) {
    return kGuidLineStart + text + kGuidIgnoredText + "\n";
}
inline std::string NotAddedLine(const std::string& path) {
    return path + kNotAddedText + "\n";
}
inline std::string TasksNotRemovedLine(const std::string& path) {
    return path + kTasksNotRemovedText + "\n";
}
inline std::string TaskAddedLine(const std::string& name, int index) {
    return kTaskLineStart + name + kTaskAddedAtText + std::to_string(index) + "\n";
}
inline std::string TaskNotAddedLine(const std::string& name) {
    return kTaskLineStart + name + kNotAddedText + "\n";
}
inline std::string TaskTargetMissingLine(const std::string& name, const std::string& target) {
    return kTaskLineStart + name + kTaskTargetMissingText + target + "\n";
}
inline std::string TaskLineTooShortLine(const std::string& line) {
    return kTaskLineTooShortText + line + "\n";
}
inline std::string TaskNameEmptyLine() {
    return std::string(kTaskNameEmptyText) + "\n";
}
inline std::string TasksRemovedLine(const std::string& path) {
    return path + kTasksRemovedText + "\n";
}
inline std::string RemovedLine(const std::string& path) {
    return path + kRemovedText + "\n";
}
// A registration removed whole by -del: its task folders, then its records.
inline std::string RegistrationRemovedLines(const std::string& path) {
    return TasksRemovedLine(path) + RemovedLine(path);
}
// -add: another GUID's registration of the game in the add's scope, replaced.
inline std::string ReplacedLine(const std::string& path, const std::string& guid) {
    return path + kOtherRegistrationText + guid + kReplacedText + "\n";
}
inline std::string NotRemovedLine(const std::string& path) {
    return path + kNotRemovedText + "\n";
}
inline std::string NotFoundLine(const std::string& path) {
    return path + kNotFoundText + "\n";
}

// -list: a record's line, and the line of one of its task shortcuts.
// tests/unit/list_command_test.cpp holds -list's lines whole; other tests check their leading
// columns (LeadingColumns), so that a new column is a trailing parameter here whose default leaves
// it out.
inline std::string NoGameRegisteredLine() {
    return std::string(kNoGameRegisteredText) + "\n";
}
inline std::string ListedRecordLine(const std::string& guid, bool currentUser,
                                    const std::string& path, bool gameExplorerRecord, bool stale) {
    return guid + " " + (currentUser ? kCurrentUserScopeWord : kAllUsersScopeWord) + " " + path +
           (gameExplorerRecord ? kGameExplorerRecordText : kUpgradeKeyText) +
           (stale ? kStaleRecordEnd : kRecordEnd) + "\n";
}
inline std::string ListedTaskLine(TaskKind kind, int index, const std::string& name,
                                  const std::string& target, const std::string& arguments = "",
                                  bool missing = false) {
    const std::wstring word = TaskKindRowOf(kind).word;  // ASCII
    return kListedTaskIndent + std::string(word.begin(), word.end()) + " " + std::to_string(index) +
           ": " + name + kListedTaskTargetText + target +
           (arguments.empty() ? "" : " " + arguments) + (missing ? kListedTaskMissingEnd : "") +
           "\n";
}

// The printed lines, each one that expected also has cut to the length of expected's line: the
// columns expected spells out, and whole lines where the output has more of them.
inline std::string LeadingColumns(const std::string& printed, const std::string& expected) {
    std::string columns;
    std::size_t at = 0;
    std::size_t expectedAt = 0;
    while (at < printed.size()) {
        const std::size_t end = std::min(printed.find('\n', at), printed.size());
        std::size_t length = end - at;
        if (expectedAt < expected.size()) {
            const std::size_t expectedEnd =
                std::min(expected.find('\n', expectedAt), expected.size());
            length = std::min(length, expectedEnd - expectedAt);
            expectedAt = expectedEnd + 1;
        }
        columns += printed.substr(at, length) + (end < printed.size() ? "\n" : "");
        at = end + 1;
    }
    return columns;
}

// One line as the diagnostic channel holds it: without its line feed.
inline std::string WithoutLineFeed(const std::string& line) {
    return line.substr(0, line.size() - 1);
}
