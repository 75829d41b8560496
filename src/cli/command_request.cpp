#include "command_request.h"

#include <string>

#include "output/program_texts.h"
#include "registration/guid_text.h"

namespace {

constexpr std::size_t kMinimumArguments = 3;
// "-list" needs nothing after it.
constexpr std::size_t kMinimumListArguments = 2;
constexpr wchar_t kGuidOption[] = L"-guid:";
constexpr std::size_t kGuidOptionLength = 6;
constexpr wchar_t kExitCodeOption[] = L"-exitcode";
constexpr wchar_t kNoLogoOption[] = L"-nologo";
constexpr wchar_t kAddCommand[] = L"-add";
constexpr wchar_t kDeleteCommand[] = L"-del";
constexpr wchar_t kListCommand[] = L"-list";

// Elements after the command word. -add: scope word, executable path, then the task lines;
// -del: the executable path (anything after it is not read).
constexpr std::size_t kScopeOffset = 1;
constexpr std::size_t kAddPathOffset = 2;
constexpr std::size_t kFirstTaskLineOffset = 3;
constexpr std::size_t kDeletePathOffset = 1;

// The scope word of the current user, as -list prints it too (ASCII).
const std::wstring kCurrentUserScopeWordWide(
    kCurrentUserScopeWord,
    kCurrentUserScopeWord + std::char_traits<char>::length(kCurrentUserScopeWord));

bool CarriesGuidOption(const std::wstring& element) {
    return element.compare(0, kGuidOptionLength, kGuidOption) == 0;
}

bool IsWord(const std::wstring& element, const wchar_t* word) {
    return _wcsicmp(element.c_str(), word) == 0;
}

void ReadAdd(const ArgumentList& arguments, std::size_t commandPosition, CommandLine& line) {
    if (arguments.size() < commandPosition + kFirstTaskLineOffset) {
        line.usage = UsageReason::TooFewForAdd;
        return;
    }
    CommandRequest& request = line.request;
    request.command = CommandKind::Add;
    request.scopeWord = arguments[commandPosition + kScopeOffset];
    request.scope = IsWord(request.scopeWord, kCurrentUserScopeWordWide.c_str()) ? GIS_CURRENT_USER
                                                                                 : GIS_ALL_USERS;
    request.executablePath = arguments[commandPosition + kAddPathOffset];
    request.taskLines.assign(
        arguments.begin() + static_cast<std::ptrdiff_t>(commandPosition + kFirstTaskLineOffset),
        arguments.end());
}

void ReadDelete(const ArgumentList& arguments, std::size_t commandPosition, CommandLine& line) {
    // Only short with the -guid: option and nothing after the command word: an uninstaller that
    // forgot the path gets the usage, as the add command gives it, not a silent success.
    if (arguments.size() <= commandPosition + kDeletePathOffset) {
        line.usage = UsageReason::TooFewForDelete;
        return;
    }
    line.request.command = CommandKind::Delete;
    line.request.executablePath = arguments[commandPosition + kDeletePathOffset];
}

// Takes -exitcode and -nologo out of the options before the command word, where they may stand in
// any order with one -guid: option; what is left reads as a command line without them.
ArgumentList WithoutSwitches(const ArgumentList& arguments, CommandLine& line) {
    ArgumentList rest;
    bool guidSeen = false;
    bool inOptions = true;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& element = arguments[i];
        if (i > 0 && inOptions && element == kExitCodeOption) {
            line.reportOutcome = true;
        } else if (i > 0 && inOptions && element == kNoLogoOption) {
            line.showBanner = false;
        } else {
            if (i > 0) {
                inOptions = !guidSeen && CarriesGuidOption(element);
                guidSeen = guidSeen || inOptions;
            }
            rest.push_back(element);
        }
    }
    return rest;
}

// A GUID names a game only when typed exactly: a text the parser would take in part (a group
// too long, trailing text, no braces) would register the game under a GUID nobody typed.
void ReadGuidOption(std::wstring text, CommandLine& line) {
    GUID parsed = GUID_NULL;
    if (ParseGameGuid(text.c_str(), &parsed)) {
        line.request.gameId = parsed;
        line.obtainedGuidText = std::move(text);
    } else {
        line.refusedGuidText = std::move(text);
    }
}

}  // namespace

ArgumentList BuildArgumentList(int argc, const wchar_t* const* argv) {
    ArgumentList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    return arguments;
}

CommandLine ParseCommandLine(const ArgumentList& allArguments) {
    CommandLine line;
    const ArgumentList arguments = WithoutSwitches(allArguments, line);
    line.elementCount = arguments.size();
    const bool listAlone =
        arguments.size() == kMinimumListArguments && IsWord(arguments[1], kListCommand);
    if (arguments.size() < kMinimumArguments && !listAlone) {
        line.usage = UsageReason::TooFewArguments;
        return line;
    }
    std::size_t commandPosition = 1;
    if (CarriesGuidOption(arguments[1])) {
        ReadGuidOption(arguments[1].substr(kGuidOptionLength), line);
        commandPosition = 2;
    }
    line.commandWord = arguments[commandPosition];
    if (IsWord(line.commandWord, kListCommand)) {
        line.request.command = CommandKind::List;
    } else if (IsWord(line.commandWord, kAddCommand)) {
        ReadAdd(arguments, commandPosition, line);
    } else if (IsWord(line.commandWord, kDeleteCommand)) {
        ReadDelete(arguments, commandPosition, line);
    } else {
        // A misspelt word (or an upper-case -GUID: option) would otherwise end in "done." and
        // status 0, and an installer would take the game for registered.
        line.usage = UsageReason::UnknownCommand;
    }
    return line;
}
