#include "command_request.h"

#include "registration/guid_text.h"

namespace {

constexpr std::size_t kMinimumArguments = 3;
constexpr wchar_t kGuidOption[] = L"-guid:";
constexpr std::size_t kGuidOptionLength = 6;
constexpr wchar_t kAddCommand[] = L"-add";
constexpr wchar_t kDeleteCommand[] = L"-del";
constexpr wchar_t kCurrentUserScopeWord[] = L"current";

// Elements after the command word. -add: scope word, executable path, then the task lines;
// -del: the executable path (anything after it is not read).
constexpr std::size_t kScopeOffset = 1;
constexpr std::size_t kAddPathOffset = 2;
constexpr std::size_t kFirstTaskLineOffset = 3;
constexpr std::size_t kDeletePathOffset = 1;

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
    request.scope =
        IsWord(request.scopeWord, kCurrentUserScopeWord) ? GIS_CURRENT_USER : GIS_ALL_USERS;
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

}  // namespace

ArgumentList BuildArgumentList(int argc, const wchar_t* const* argv) {
    ArgumentList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    return arguments;
}

CommandLine ParseCommandLine(const ArgumentList& arguments) {
    CommandLine line;
    if (arguments.size() < kMinimumArguments) {
        line.usage = UsageReason::TooFewArguments;
        return line;
    }
    std::size_t commandPosition = 1;
    if (CarriesGuidOption(arguments[1])) {
        std::wstring guidText = arguments[1].substr(kGuidOptionLength);
        // A text that does not parse leaves GUID_NULL: the run goes on as if none was given.
        if (SUCCEEDED(ParseGuid(guidText.c_str(), &line.request.gameId))) {
            line.obtainedGuidText = std::move(guidText);
        }
        commandPosition = 2;
    }
    line.commandWord = arguments[commandPosition];
    if (IsWord(line.commandWord, kAddCommand)) {
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
