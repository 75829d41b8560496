// The whole front end in this process: wmain on random argument vectors against the scripted
// system, whose answers (and one failing call) are chosen by the input too. Most vectors are
// completed first with further elements (a command word that is neither -add nor -del becomes one
// of them), so that the commands run; the others may end in the usage block. Some ask for the
// outcome with -exitcode.
// Properties: wmain returns, never ends the process; the run ends with "done." and status 0 (with
// -exitcode 0, 2 or 3), or with the usage block and status 1; every failure line on cerr has its
// copy on DebugErr, in order; every object, string, COM initialisation and key is given back.
#include <clocale>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/entry.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform_api.h"
#include "support/console_capture.h"
#include "support/debug_capture.h"
#include "support/expected_output.h"
#include "support/scripted_system.h"
#include "support/text_lines.h"

namespace {

constexpr std::size_t kMaxElements = 40;
const std::string& kBanner = kExpectedBanner;

// Bit by bit, which of the system's answers fail or differ from a healthy system.
void ScriptSystem(FuzzInput& input, SystemScript& script) {
    const std::uint32_t bits = input.Uint32();
    auto bit = [&](int n) { return (bits >> n) & 1; };
    if (bit(0))
        script.createGameExplorer = REGDB_E_CLASSNOTREG;
    if (bit(1))
        script.hasAccess = FALSE;
    if (bit(2))
        script.verifyAccess = E_FAIL;
    if (bit(3))
        script.addGame = E_FAIL;
    if (bit(4))
        script.addGameLeaves = GUID{0x11112222, 0x3333, 0x4444, {5, 6, 7, 8, 9, 10, 11, 12}};
    if (bit(5))
        script.removeGame = E_FAIL;
    if (bit(6))
        script.createLocator = REGDB_E_CLASSNOTREG;
    if (bit(7))
        script.execQuery = WBEM_E_INVALID_QUERY;
    if (bit(8))
        script.nextYieldsNullObject = true;
    if (bit(9))
        script.createShellLink = REGDB_E_CLASSNOTREG;
    if (bit(10))
        script.queryPersistFile = E_NOINTERFACE;
    if (bit(11))
        script.save = E_ACCESSDENIED;
    if (bit(12))
        script.localAppDataResult = E_FAIL;
    if (bit(13))
        script.commonAppDataResult = E_FAIL;
    if (bit(14))
        script.regCreateKey = ERROR_ACCESS_DENIED;
    if (bit(15))
        script.coInitialize = S_FALSE;
    if (bit(16))
        script.coInitialize = CO_E_NOTINITIALIZED;
    if (bit(17))
        script.fullPathResult = 0;
    if (bit(18))
        script.fileOperation = 0x7C;
    if (bit(19))
        script.coCreateGuid = E_FAIL;
    if (bit(20))
        script.localAppData = std::wstring(MAX_PATH - 1, L'L');
    if (bit(27))
        script.regDeleteTree = ERROR_ACCESS_DENIED;
    if (bit(28))
        script.setPath = E_INVALIDARG;
    if (bit(29))
        script.createInternetShortcut = REGDB_E_CLASSNOTREG;
    if (bit(30))
        script.missingFileError = ERROR_ACCESS_DENIED;
    if (bit(31))
        script.regSetValue = ERROR_ACCESS_DENIED;
    for (int object = 0; object < static_cast<int>((bits >> 21) & 3); ++object) {
        WmiObjectScript wmi;
        wmi.instanceId = input.WideChunk();
        if (bit(23 + object))
            wmi.type = VT_I4;
        if (bit(25 + object))
            wmi.getResult = WBEM_E_NOT_FOUND;
        script.wmiObjects.push_back(wmi);
    }
}

// Adds elements until neither the entry routine nor a command would print the usage block.
void CompleteForTheCommands(std::vector<std::wstring>& elements) {
    while (elements.size() < 3) {
        elements.push_back(L"x");
    }
    const std::size_t commandIndex = elements[1].compare(0, 6, L"-guid:") == 0 ? 2 : 1;
    std::wstring& command = elements[commandIndex];
    const bool add = _wcsicmp(command.c_str(), L"-add") == 0;
    if (!add && _wcsicmp(command.c_str(), L"-del") != 0) {
        command = command.size() % 2 == 0 ? L"-add" : L"-del";
    }
    const std::size_t needed =
        _wcsicmp(command.c_str(), L"-add") == 0 ? commandIndex + 3 : commandIndex + 2;
    while (elements.size() < needed) {
        elements.push_back(L"C:\\Games\\Demo\\demo.exe");
    }
}

bool HasLineBreak(const std::vector<std::wstring>& elements) {
    for (const std::wstring& element : elements) {
        if (element.find_first_of(L"\r\n") != std::wstring::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    // The first byte: whether the vector is left as it is (and may end in the usage block), and
    // whether the outcome is asked for.
    const std::uint8_t shape = input.Byte();
    const bool mayShowUsage = (shape & 1) != 0;
    const bool exitCode = (shape & 2) != 0;
    ScriptedSystem system;
    ScriptSystem(input, system.script);
    system.FailCall(input.Byte());

    std::vector<std::wstring> elements = {L"prog"};
    while (!input.Empty() && elements.size() < kMaxElements) {
        elements.push_back(input.WideChunk());
    }
    std::setlocale(LC_CTYPE, "");  // as wmain selects it, so that words compare the same way
    if (!mayShowUsage) {
        CompleteForTheCommands(elements);
    }
    if (exitCode) {
        elements.insert(elements.begin() + 1, L"-exitcode");
    }
    std::vector<wchar_t*> argv;
    for (std::wstring& element : elements) {
        argv.push_back(element.data());
    }
    argv.push_back(nullptr);

    int status;
    std::string out, err;
    std::vector<std::string> debugErr;
    {
        DebugCapture debug;
        ConsoleCapture console;
        status = wmain(static_cast<int>(elements.size()), argv.data());
        out = console.Out();
        err = console.Err();
        debugErr = debug.Channel(kDebugErr);
    }

    FUZZ_CHECK(out.compare(0, kBanner.size(), kBanner) == 0);
    const auto endsWith = [&](const std::string& end) {
        return out.size() >= kBanner.size() + end.size() &&
               out.compare(out.size() - end.size(), end.size(), end) == 0;
    };
    if (status == 1) {
        FUZZ_CHECK(endsWith(kExpectedUsage));
    } else {
        FUZZ_CHECK(status == 0 || (exitCode && (status == 2 || status == 3)));
        FUZZ_CHECK(endsWith("done.\n"));
    }
    FUZZ_CHECK(system.AccountsBalance());

    // A run that shows the usage says why on DebugErr, a line with no console copy.
    if (status != 1 && !HasLineBreak(elements)) {
        // DebugErr holds the copy of each cerr line, and nothing else.
        FUZZ_CHECK(LinesOf(err) == debugErr);
    }
    return 0;
}
