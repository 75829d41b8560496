#include "entry.h"

#include <clocale>
#include <iostream>
#include <string>

#include "argument_list.h"
#include "commands.h"
#include "output/debug_streams.h"
#include "output/message_line.h"
#include "platform_api.h"
#include "program_texts.h"
#include "registration/guid_text.h"
#include "usage.h"

namespace {

constexpr std::size_t kMinimumArguments = 3;
constexpr wchar_t kGuidOption[] = L"-guid:";
constexpr std::size_t kGuidOptionLength = 6;
constexpr wchar_t kAddCommand[] = L"-add";
constexpr wchar_t kDeleteCommand[] = L"-del";

void PrintBanner() {
    std::cout << std::endl;
    for (const char* text : kBannerTexts) {
        WriteLine(std::cout, text);
    }
}

// The option is recognised in element 1 only, by its exact lower-case prefix.
bool CarriesGuidOption(const std::wstring& element) {
    return element.compare(0, kGuidOptionLength, kGuidOption) == 0;
}

void EchoRunGuid(const GUID& gameId) {
    UUID uuid = gameId;  // some SDKs declare the parameter without const
    RPC_CSTR text = nullptr;
    UuidToStringA(&uuid, &text);
    // The platform's text is copied and freed at once; when it could not be made the line shows
    // no GUID rather than failing the run.
    std::string copy = text != nullptr ? reinterpret_cast<const char*>(text) : "";
    if (text != nullptr) {
        RpcStringFreeA(&text);
    }
    WriteLine(DebugOut(), "GUID: ", copy);
}

}  // namespace

extern "C" int wmain(int argc, wchar_t* argv[]) {
    std::setlocale(LC_CTYPE, "");
    PrintBanner();

    const ArgumentList arguments = BuildArgumentList(argc, argv);
    if (arguments.size() < kMinimumArguments) {
        WriteLine(DebugErr(), "Too few arguments: ", static_cast<int>(arguments.size()));
        PrintUsage();
    }

    GUID gameId = GUID_NULL;
    int commandIndex = 1;
    if (CarriesGuidOption(arguments[1])) {
        const std::wstring guidText = arguments[1].substr(kGuidOptionLength);
        if (SUCCEEDED(ParseGuid(guidText.c_str(), &gameId))) {
            WriteLine(std::cout, "GUID ", guidText, " obtained");
        }
        commandIndex = 2;
    }

    EchoRunGuid(gameId);
    const std::wstring& command = arguments[static_cast<std::size_t>(commandIndex)];
    WriteLine(DebugOut(), "Command: ", command);

    if (_wcsicmp(command.c_str(), kAddCommand) == 0) {
        RunAddCommand(arguments, commandIndex, &gameId);
    } else if (_wcsicmp(command.c_str(), kDeleteCommand) == 0) {
        RunDeleteCommand(arguments, commandIndex, &gameId);
    } else {
        // A misspelt word (or an upper-case -GUID: option) would otherwise end in "done." and
        // status 0, and an installer would take the game for registered.
        WriteLine(DebugErr(), "Unknown command: ", command);
        PrintUsage();
    }

    WriteLineWithCopy(std::cout, DebugOut(), "done.");
    return 0;
}
