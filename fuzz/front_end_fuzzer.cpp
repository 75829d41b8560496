// The whole front end in this process: wmain on random argument vectors against a real emulated
// system, whose failing calls and planted records are chosen by the input too. Most vectors are
// completed first with further elements (a command word that is neither -add nor -del becomes one
// of them), so that the commands run; the others may end in the usage block. Some ask for the
// outcome with -exitcode.
// Properties: wmain returns, never ends the process; the run ends with "done." and status 0 (with
// -exitcode 0, 2 or 3), or with the usage block and status 1 (or, with -exitcode, a refused
// -guid: text and status 1); every failure line on cerr has its
// copy on DebugErr, in order; every object, string, COM initialisation and key is given back.
#include <algorithm>
#include <clocale>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "cli/entry.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform_api.h"
#include "support/console_capture.h"
#include "support/debug_capture.h"
#include "support/expected_output.h"
#include "support/faulting_system.h"
#include "support/text_lines.h"

namespace {

constexpr std::size_t kMaxElements = 40;
const std::string& kBanner = kExpectedBanner;

// Bit by bit, which of the system's calls fail and how; then up to three records planted with
// names and paths from the input, where the lookups read them.
void ArrangeSystem(FuzzInput& input, FaultingSystem& system) {
    const std::uint32_t bits = input.Uint32();
    auto bit = [&](int n) { return (bits >> n) & 1; };
    const auto creating = [](const CLSID& clsid) { return "CoCreateInstance " + LogGuid(clsid); };
    const struct {
        int bit;
        std::string call;
        long failure;
    } kFaults[] = {
        {1, "IGameExplorer::VerifyAccess", S_OK},  // succeeds without granting access
        {2, "IGameExplorer::VerifyAccess", E_FAIL},
        {3, "IGameExplorer::AddGame", E_FAIL},
        {4, "IGameExplorer::AddGame", S_OK},  // succeeds without recording the game
        {5, "IGameExplorer::RemoveGame", E_FAIL},
        {6, creating(CLSID_WbemLocator), REGDB_E_CLASSNOTREG},
        {7, "IWbemServices::ExecQuery", WBEM_E_INVALID_QUERY},
        {8, "IWbemClassObject::Get", WBEM_E_NOT_FOUND},
        {9, creating(CLSID_ShellLink), REGDB_E_CLASSNOTREG},
        {10, "IShellLinkW::QueryInterface", E_NOINTERFACE},
        {11, "IPersistFile::Save", E_ACCESSDENIED},
        {12, "SHGetFolderPathW 0x1c", E_FAIL},
        {13, "SHGetFolderPathW 0x23", E_FAIL},
        {14, "RegCreateKeyExW", ERROR_ACCESS_DENIED},
        {15, "CoInitialize", CO_E_NOTINITIALIZED},
        {16, "WaitForSingleObject", WAIT_TIMEOUT},
        {17, "GetFullPathNameW", ERROR_FILENAME_EXCED_RANGE},
        {18, "RemoveDirectoryW", ERROR_DIR_NOT_EMPTY},
        {19, "CoCreateGuid", E_FAIL},
        {20, "GetLongPathNameW", ERROR_ACCESS_DENIED},
        {27, "RegDeleteTreeW", ERROR_ACCESS_DENIED},
        {28, "IShellLinkW::SetPath", E_INVALIDARG},
        {29, creating(CLSID_InternetShortcut), REGDB_E_CLASSNOTREG},
        {30, "GetFileAttributesW", ERROR_ACCESS_DENIED},
        {31, "RegSetValueExW", ERROR_ACCESS_DENIED},
    };
    if (bit(0)) {
        system.RemoveGameExplorer();
    }
    for (const auto& fault : kFaults) {
        if (bit(fault.bit)) {
            system.Fail(fault.call, fault.failure);
        }
    }
    const std::wstring places[] = {
        std::wstring(kGameExplorerRecordsKey) + L"\\" + kAllUsersRecordsName,
        std::wstring(kGameExplorerRecordsKey) + L"\\" + FaultingSystem::kUserSid,
        kAllUsersUpgradeKey,
    };
    const wchar_t* pathValues[] = {kRecordBinaryPathValue, kRecordBinaryPathValue,
                                   kUpgradeBinaryPathValue};
    for (int record = 0; record < static_cast<int>((bits >> 21) & 3); ++record) {
        const std::size_t place = ((bits >> (23 + 2 * record)) & 3) % std::size(places);
        const std::wstring name = input.WideChunk();
        const std::wstring path = input.WideChunk();
        if (!name.empty() && name.find(L'\\') == std::wstring::npos) {
            system.SetRegistryText(HKEY_LOCAL_MACHINE, places[place] + L"\\" + name,
                                   pathValues[place], path);
        }
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

// A console line shows a control character of a value escaped, its diagnostic copy as it is (a
// line break there even ends the line): the two then differ.
bool HasControlCharacter(const std::vector<std::wstring>& elements) {
    for (const std::wstring& element : elements) {
        for (const wchar_t character : element) {
            const auto code = static_cast<std::uint32_t>(character);
            if (code < 0x20 || code == 0x7F) {
                return true;
            }
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
    FaultingSystem system;
    system.PutFile(L"C:\\Games\\Demo\\demo.exe");
    ArrangeSystem(input, system);
    system.StartCounting();
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

    // -nologo among the leading options leaves the banner out; elsewhere it is a plain argument.
    const bool mayLackBanner = std::any_of(elements.begin() + 1, elements.end(), [](auto& e) {
        return _wcsicmp(e.c_str(), L"-nologo") == 0;
    });
    FUZZ_CHECK(out.compare(0, kBanner.size(), kBanner) == 0 || mayLackBanner);
    const auto endsWith = [&](const std::string& end) {
        return out.size() >= end.size() &&
               out.compare(out.size() - end.size(), end.size(), end) == 0;
    };
    if (status == 1) {
        // The usage block, or with -exitcode a -guid: text refused before anything is done.
        const bool guidRefused = exitCode && err.find(kGuidIgnoredText) != std::string::npos &&
                                 (out == kBanner || out.empty());
        FUZZ_CHECK(endsWith(kExpectedUsage) || guidRefused);
    } else {
        FUZZ_CHECK(status == 0 || (exitCode && (status == 2 || status == 3)));
        FUZZ_CHECK(endsWith(std::string(kDoneText) + "\n"));
    }
    FUZZ_CHECK(system.AccountsBalance());

    // A run that shows the usage says why on DebugErr, a line with no console copy.
    if (status != 1 && !HasControlCharacter(elements)) {
        // DebugErr holds the copy of each cerr line, and nothing else.
        FUZZ_CHECK(LinesOf(err) == debugErr);
    }
    return 0;
}
