// The command line, read once: which command to run and with what, or why the usage is shown
// instead. Element 0 is the program path; the leading options (-exitcode, -nologo and -guid:, in
// any order) come next, then the command word.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/gameux.h"

using ArgumentList = std::vector<std::wstring>;

// A copy of each of the argc strings of argv, in order; nothing is trimmed, split or unquoted.
ArgumentList BuildArgumentList(int argc, const wchar_t* const* argv);

enum class CommandKind { Add, Delete, List };

// Everything a command reads from the command line.
struct CommandRequest {
    CommandKind command = CommandKind::Add;
    // From the -guid: option; GUID_NULL when none was given or its text was refused.
    GUID gameId = GUID_NULL;
    // -add only: the scope word as typed, and the scope it selects ("current" in any case the
    // current user, any other word all users).
    std::wstring scopeWord;
    int scope = GIS_ALL_USERS;
    // The game's executable as typed.
    std::wstring executablePath;
    // -add only: every element after the path, one task line each, as typed.
    std::vector<std::wstring> taskLines;
};

// Why the usage is shown instead of a command.
enum class UsageReason {
    TooFewArguments,  // fewer than 3 elements: nothing is read
    UnknownCommand,   // the command word is none of -add, -del and -list (in any case)
    TooFewForAdd,     // -add without its scope word and path
    TooFewForDelete,  // -del without its path (reachable only with the option)
};

struct CommandLine {
    // Set when the usage is shown instead of a command.
    std::optional<UsageReason> usage;
    // -exitcode: the caller hears the outcome as the exit status.
    bool reportOutcome = false;
    // -nologo: no banner (for installers that log every line).
    bool showBanner = true;
    // The -guid: option's text as typed: when it is exactly a braced GUID other than the nil one
    // (obtained), or when it is not (refused: the run has no GUID).
    std::optional<std::wstring> obtainedGuidText;
    std::optional<std::wstring> refusedGuidText;
    // Elements read, the program path included and -exitcode and -nologo not (for the line that
    // says too few were given).
    std::size_t elementCount = 0;
    // The command word as typed; empty with too few arguments.
    std::wstring commandWord;
    // What the command reads; its gameId is the run's GUID whatever usage says.
    CommandRequest request;
};

// Reads arguments. The options are recognised before the command word only, -exitcode and
// -nologo as whole elements, -guid: by its exact lower-case prefix (once); the command and scope
// words are compared without regard to case (_wcsicmp, under the runtime's character-type
// locale). Element counts (for too few arguments) leave -exitcode and -nologo out.
CommandLine ParseCommandLine(const ArgumentList& arguments);
