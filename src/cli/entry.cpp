#include "entry.h"

#include <clocale>
#include <iostream>

#include "command_request.h"
#include "commands.h"
#include "output/debug_streams.h"
#include "output/message_line.h"
#include "output/program_texts.h"
#include "platform/owners.h"
#include "platform_api.h"

namespace {

// The exit statuses. Without -exitcode a run that reaches "done." gives kDone whatever it did.
constexpr int kDone = 0;
constexpr int kUsageShown = 1;
// -add: not added; -del: something of the game still registered, or a task folder left because
// it holds a link or an entry the program did not write (which someone may have planted there)
constexpr int kNotDone = 2;
constexpr int kPartlyDone = 3;  // -add: a task line skipped or not added; -del: a task folder left

int ExitStatusOf(const AddOutcome& outcome) {
    if (!outcome.registered) {
        return kNotDone;
    }
    const bool everyTaskAdded = !outcome.cutShort && !outcome.oldTasksLeft &&
                                !outcome.otherRegistrationLeft && outcome.tasksSkipped == 0 &&
                                outcome.tasksNotAdded == 0;
    return everyTaskAdded ? kDone : kPartlyDone;
}

int ExitStatusOf(const DeleteOutcome& outcome) {
    if (outcome.registrationLeft || outcome.linkOrForeignEntryLeft) {
        return kNotDone;
    }
    return outcome.taskFoldersLeft ? kPartlyDone : kDone;
}

void PrintBanner() {
    std::cout << std::endl;
    for (const char* text : kBannerTexts) {
        WriteLine(std::cout, text);
    }
}

// Writes the usage block to cout; the run then ends with kUsageShown.
int PrintUsage() {
    std::cout << std::endl;
    for (const char* text : kUsageTexts) {
        WriteLine(std::cout, text);
    }
    return kUsageShown;
}

// The diagnostic line that says why the usage is shown (the element count for too few).
void NoteUsageReason(UsageReason reason, const CommandLine& line) {
    const int count = static_cast<int>(line.elementCount);
    switch (reason) {
        case UsageReason::TooFewArguments:
            WriteLine(DebugErr(), kTooFewArgumentsText, count);
            break;
        case UsageReason::UnknownCommand:
            WriteLine(DebugErr(), kUnknownCommandText, line.commandWord);
            break;
        case UsageReason::TooFewForAdd:
            WriteLine(DebugOut(), kTooFewForAddText, count);
            break;
        case UsageReason::TooFewForDelete:
            WriteLine(DebugOut(), kTooFewForDeleteText, count);
            break;
    }
}

void EchoRunGuid(const GUID& gameId) {
    UUID uuid = gameId;  // some SDKs declare the parameter without const
    UniqueRpcText text;
    UuidToStringA(&uuid, text.Put());
    // When the platform's text could not be made the line shows no GUID rather than failing the
    // run.
    WriteLine(DebugOut(), kGuidEchoText, text ? reinterpret_cast<const char*>(text.Get()) : "");
}

void NoteRunCutShort() {
    try {
        WriteLine(DebugErr(), kRunCutShortText);
    } catch (...) {
        // Nothing is left to say it with.
    }
}

int RunCommand(const CommandRequest& request) {
    switch (request.command) {
        case CommandKind::Add:
            return ExitStatusOf(RunAddCommand(request));
        case CommandKind::Delete:
            return ExitStatusOf(RunDeleteCommand(request));
        case CommandKind::List:
            RunListCommand();
            return kDone;
    }
    return kDone;
}

// The run after the banner: the echoes, the command, "done.". Returns the outcome's exit status.
int RunParsedLine(const CommandLine& line) {
    if (line.usage == UsageReason::TooFewArguments) {
        NoteUsageReason(*line.usage, line);
        return PrintUsage();
    }
    if (line.obtainedGuidText) {
        WriteLine(std::cout, kGuidLineStart, *line.obtainedGuidText, kGuidObtainedText);
    }
    if (line.refusedGuidText) {
        WriteLineWithCopy(std::cerr, DebugErr(), kGuidLineStart, *line.refusedGuidText,
                          kGuidIgnoredText);
    }
    EchoRunGuid(line.request.gameId);
    WriteLine(DebugOut(), kCommandEchoText, line.commandWord);
    if (line.usage) {
        NoteUsageReason(*line.usage, line);
        return PrintUsage();
    }
    // A caller that hears the outcome hears that its GUID was not taken before anything changes:
    // the game would otherwise be registered under a GUID that its uninstaller does not know.
    if (line.refusedGuidText && line.reportOutcome) {
        return kUsageShown;
    }
    const int status = RunCommand(line.request);
    WriteLineWithCopy(std::cout, DebugOut(), kDoneText);
    return status;
}

}  // namespace

int RunCommandLine(const std::vector<std::wstring>& arguments, bool reportOutcome,
                   bool mayShowBanner) {
    try {
        const CommandLine line = ParseCommandLine(arguments);
        if (mayShowBanner && line.showBanner) {
            PrintBanner();
        }
        const int status = RunParsedLine(line);
        return status == kUsageShown || reportOutcome || line.reportOutcome ? status : kDone;
    } catch (...) {
        // Out of memory (or anything else thrown) outside a command's steps: what was done is
        // not known to be whole. The caller may be a host process that must go on.
        NoteRunCutShort();
    }
    return kNotDone;
}

extern "C" int wmain(int argc, wchar_t* argv[]) {
    std::setlocale(LC_CTYPE, "");
    return RunCommandLine(BuildArgumentList(argc, argv), false, true);
}
