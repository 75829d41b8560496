// Writes the program's own texts, exactly as it prints them, as one JSON object: the banner and
// the usage block, and each fixed part of a run's lines by name, so that the Python suites build
// the lines they expect from the program's texts rather than from copies of them.
#include <cstdio>
#include <string>
#include <utility>

#include "cli/msi_log_lines.h"
#include "registration/game_locks.h"
#include "support/expected_output.h"

namespace {

// Each text by the name the suites read it under.
const std::pair<const char*, std::string> kProgramTexts[] = {
    {"banner", kExpectedBanner},
    {"usage", kExpectedUsage},
    {"guid_line_start", kGuidLineStart},
    {"guid_obtained", kGuidObtainedText},
    {"done", kDoneText},
    {"reason_line_start", kReasonLineStart},
    {"reason_without_message", kReasonWithoutMessageText},
    {"not_added", kNotAddedText},
    {"tasks_not_removed", kTasksNotRemovedText},
    {"task_line_start", kTaskLineStart},
    {"task_added_at", kTaskAddedAtText},
    {"task_line_too_short", kTaskLineTooShortText},
    {"task_name_empty", kTaskNameEmptyText},
    {"tasks_removed", kTasksRemovedText},
    {"removed", kRemovedText},
    {"not_found", kNotFoundText},
    {"other_registration", kOtherRegistrationText},
    {"replaced", kReplacedText},
    {"current_user_scope_word", kCurrentUserScopeWord},
    {"game_explorer_record", kGameExplorerRecordText},
    {"upgrade_key", kUpgradeKeyText},
    {"record_end", kRecordEnd},
    {"listed_task_indent", kListedTaskIndent},
    {"listed_task_target", kListedTaskTargetText},
    {"msi_log_line_prefix", std::string(kMsiLogLinePrefix)},
    {"game_lock_deadline_seconds", std::to_string(kGameLockDeadlineMilliseconds / 1000)},
};

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                json += "\\\"";
                break;
            case '\\':
                json += "\\\\";
                break;
            case '\n':
                json += "\\n";
                break;
            case '\t':
                json += "\\t";
                break;
            default:
                json += c;
        }
    }
    return json + "\"";
}

}  // namespace

int main() {
    std::string json = "{";
    for (const auto& [name, text] : kProgramTexts) {
        json += (json.size() > 1 ? ",\n \"" : "\"") + std::string(name) + "\": " + JsonString(text);
    }
    json += "}\n";
    return std::fputs(json.c_str(), stdout) < 0 ? 1 : 0;
}
