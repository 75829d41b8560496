#include "registration/task_shortcuts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "emulated/files/drive_mapping.h"
#include "emulated/shell/internet_shortcut.h"
#include "emulated/shell/shell_link_reader.h"
#include "output/program_error_messages.h"
#include "registration/task_listing.h"
#include "support/faulting_system.h"

namespace {

constexpr GUID kGameId = {
    0x9A5EA990, 0x3034, 0x4D6F, {0x91, 0x28, 0x01, 0xF3, 0xC6, 0x10, 0x22, 0xBC}};
constexpr GUID kOtherGameId = {
    0x1B2C3D4E, 0x5F60, 0x4172, {0x83, 0x94, 0xA5, 0xB6, 0xC7, 0xD8, 0xE9, 0xF0}};
const std::wstring kGuidText = L"{9A5EA990-3034-4D6F-9128-01F3C61022BC}";
const std::wstring kLocalExplorer =
    L"C:\\Users\\player\\AppData\\Local\\Microsoft\\Windows\\GameExplorer\\";
const std::wstring kCommonExplorer = L"C:\\ProgramData\\Microsoft\\Windows\\GameExplorer\\";
const std::wstring kLocalTree = kLocalExplorer + kGuidText;
const std::wstring kCommonTree = kCommonExplorer + kGuidText;
const std::wstring kOtherLocalTree = kLocalExplorer + L"{1B2C3D4E-5F60-4172-8394-A5B6C7D8E9F0}";
const std::wstring kOtherCommonTree = kCommonExplorer + L"{1B2C3D4E-5F60-4172-8394-A5B6C7D8E9F0}";
const std::wstring kPlayLink = kCommonTree + L"\\PlayTasks\\0\\Play.lnk";

HRESULT AddPlayTask(const wchar_t* name, const wchar_t* target = L"C:\\Games\\Demo\\demo.exe",
                    const wchar_t* arguments = nullptr) {
    return CreateGameTask(GIS_ALL_USERS, kGameId, TaskKind::Play, 0, name, target, arguments);
}

bool Exists(const FaultingSystem& system, const std::wstring& path) {
    return std::filesystem::exists(system.HostPath(path));
}

std::string FileBytes(const FaultingSystem& system, const std::wstring& path) {
    std::ifstream file(system.HostPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The shell link at path as the shell stored it; none when there is no well-formed link there.
std::optional<ShellLinkContents> SavedLink(const FaultingSystem& system, const std::wstring& path) {
    if (!Exists(system, path)) {
        return std::nullopt;
    }
    return ReadShellLinkBytes(FileBytes(system, path));
}

// The current folder that relative targets are completed against, with its separator.
std::wstring CurrentFolder() {
    std::wstring folder = DriveMapping::CurrentFolder().value();
    if (folder.back() != L'\\') {
        folder += L'\\';
    }
    return folder;
}

std::vector<ListedTask> ListedTasks(int scope) {
    std::vector<ListedTask> tasks;
    EXPECT_EQ(ListGameTasks(scope, kGameId, tasks), S_OK);
    return tasks;
}

// ---- CreateGameTask --------------------------------------------------------------------------

// Both interfaces of a shortcut object are released before COM is uninitialised, which a
// release after it would find gone; the initialisation comes before the object is made.
TEST(CreateGameTask, ReleasesEveryInterfaceBeforeUninitialisingCom) {
    for (const wchar_t* target : {L"C:\\Games\\Demo\\demo.exe", L"https://example.com/"}) {
        SCOPED_TRACE(LogText(target));
        FaultingSystem system;
        EXPECT_EQ(AddPlayTask(L"Play", target), S_OK);
        const std::vector<std::string>& calls = system.Calls();
        const auto initialised = std::ranges::find(calls, "CoInitialize");
        const auto made = std::ranges::find_if(
            calls, [](const std::string& call) { return call.starts_with("CoCreateInstance"); });
        ASSERT_NE(made, calls.end());
        EXPECT_LT(initialised, made);
        // Every release (counted by AccountsBalance) comes before it.
        EXPECT_EQ(calls.back(), "CoUninitialize");
        EXPECT_TRUE(system.AccountsBalance());
    }
}

struct PlacementCase {
    const char* name;
    int scope;
    TaskKind kind;
    int index;
    std::wstring shortcut;
};

const PlacementCase kPlacementCases[] = {
    {"CurrentUserPlayTask", GIS_CURRENT_USER, TaskKind::Play, 0,
     kLocalTree + L"\\PlayTasks\\0\\Play.lnk"},
    {"AllUsersSupportTask", GIS_ALL_USERS, TaskKind::Support, 12,
     kCommonTree + L"\\SupportTasks\\12\\Play.lnk"},
    {"NotInstalledScopeMeansAllUsers", GIS_NOT_INSTALLED, TaskKind::Play, 3,
     kCommonTree + L"\\PlayTasks\\3\\Play.lnk"},
    {"UnknownScopeMeansAllUsers", 7, TaskKind::Play, 0, kPlayLink},
    {"CurrentUserSupportTask", GIS_CURRENT_USER, TaskKind::Support, 1,
     kLocalTree + L"\\SupportTasks\\1\\Play.lnk"},
};

class CreateGameTaskPlacement : public testing::TestWithParam<PlacementCase> {};

TEST_P(CreateGameTaskPlacement, ScopeKindAndIndexChooseTheFolder) {
    const PlacementCase& c = GetParam();
    FaultingSystem system;
    EXPECT_EQ(CreateGameTask(c.scope, kGameId, c.kind, c.index, L"Play",
                             L"C:\\Games\\Demo\\demo.exe", nullptr),
              S_OK);
    ASSERT_TRUE(SavedLink(system, c.shortcut).has_value());
    // Nothing in the other scope's tree.
    EXPECT_FALSE(Exists(system, c.scope == GIS_CURRENT_USER ? kCommonTree : kLocalTree));
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateGameTaskPlacement, testing::ValuesIn(kPlacementCases),
                         [](const auto& p) { return std::string(p.param.name); });

struct LinkContentCase {
    const char* name;
    const wchar_t* target;
    const wchar_t* arguments;
    std::wstring fullTarget;  // as the shell stores it
    std::wstring workingFolder;
    const char* failingCall = nullptr;  // made to fail, the shortcut still written
};

const std::wstring kLongestArguments(1023, L'a');  // the most a shortcut holds

const LinkContentCase kLinkContentCases[] = {
    {"AbsoluteTargetWithArguments", L"C:\\Games\\Demo\\demo.exe", L"-windowed -lang de",
     L"C:\\Games\\Demo\\demo.exe", L"C:\\Games\\Demo\\"},
    {"RelativeTarget", L"bin\\demo.exe", nullptr, CurrentFolder() + L"bin\\demo.exe",
     CurrentFolder() + L"bin\\"},
    {"BareFileNameInCurrentFolder", L"demo.exe", L"-x", CurrentFolder() + L"demo.exe",
     CurrentFolder()},
    {"PairedQuotesInArguments", L"C:\\Games\\Demo\\demo.exe", L"-name \"a b\" -data \"C:\\D\\\\\"",
     L"C:\\Games\\Demo\\demo.exe", L"C:\\Games\\Demo\\"},
    {"TargetEndingInBackslashIsItsOwnFolder", L"C:\\Games\\Demo\\", nullptr, L"C:\\Games\\Demo\\",
     L"C:\\Games\\Demo\\"},
    {"LongestArgumentsWrittenWhole", L"C:\\Games\\Demo\\demo.exe", kLongestArguments.c_str(),
     L"C:\\Games\\Demo\\demo.exe", L"C:\\Games\\Demo\\"},
    // No working folder rather than a wrong one.
    {"UnknownFullPathSetsNoWorkingFolder", L"C:\\Games\\Demo\\demo.exe", nullptr,
     L"C:\\Games\\Demo\\demo.exe", L"", "GetFullPathNameW"},
    // COM set up on the thread in another mode; the failed initialisation is not balanced by an
    // uninitialisation (AccountsBalance counts both).
    {"FailedCoInitialize", L"C:\\Games\\Demo\\demo.exe", nullptr, L"C:\\Games\\Demo\\demo.exe",
     L"C:\\Games\\Demo\\", "CoInitialize"},
};

class CreateGameTaskLinkContent : public testing::TestWithParam<LinkContentCase> {};

TEST_P(CreateGameTaskLinkContent, TargetArgumentsAndWorkingFolder) {
    const LinkContentCase& c = GetParam();
    FaultingSystem system;
    if (c.failingCall != nullptr) {
        system.Fail(c.failingCall, E_FAIL);
    }
    EXPECT_EQ(AddPlayTask(L"Play", c.target, c.arguments), S_OK);
    const std::optional<ShellLinkContents> link = SavedLink(system, kPlayLink);
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->localPath, c.fullTarget);
    EXPECT_EQ(link->arguments, c.arguments == nullptr ? L"" : c.arguments);
    EXPECT_EQ(link->workingDirectory, c.workingFolder);
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateGameTaskLinkContent, testing::ValuesIn(kLinkContentCases),
                         [](const auto& p) { return std::string(p.param.name); });

// A full path that asks for more room every time it is asked: no endless retry and no working
// folder taken from a buffer never filled.
TEST(CreateGameTask, FullPathThatNeverFitsSetsNoWorkingFolder) {
    FaultingSystem system;
    system.Answer("GetFullPathNameW", 4 * MAX_PATH);
    EXPECT_EQ(AddPlayTask(L"Play"), S_OK);
    const std::optional<ShellLinkContents> link = SavedLink(system, kPlayLink);
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->localPath, L"C:\\Games\\Demo\\demo.exe");
    EXPECT_EQ(link->workingDirectory, L"");
    EXPECT_TRUE(system.AccountsBalance());
}

TEST(CreateGameTask, SameTaskTwiceReplacesTheShortcut) {
    FaultingSystem system;
    EXPECT_EQ(AddPlayTask(L"Play", L"C:\\Games\\Demo\\demo.exe", L"-first"), S_OK);
    EXPECT_EQ(AddPlayTask(L"Play", L"C:\\Games\\Demo\\demo.exe", L"-second"), S_OK);
    const std::vector<ListedTask> tasks = ListedTasks(GIS_ALL_USERS);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0].arguments, L"-second");
    EXPECT_TRUE(system.AccountsBalance());
}

// A shortcut that is not written is reported with the failure that stopped it.
struct WriteFailureCase {
    const char* name;
    const char* failingCall;
    long failure;
    HRESULT result;
    bool indexFolderMade;
};

const WriteFailureCase kWriteFailureCases[] = {
    {"CommonFolderQueryFails", "SHGetFolderPathW 0x23", E_ACCESSDENIED, E_ACCESSDENIED, false},
    // The folder's own failure, not the later save's missing path.
    {"IndexFolderRefused", "SHCreateDirectoryExW", ERROR_ACCESS_DENIED,
     HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), false},
    {"ShellLinkAbsent", "CoCreateInstance", REGDB_E_CLASSNOTREG, REGDB_E_CLASSNOTREG, true},
    {"SetPathFails", "IShellLinkW::SetPath", E_INVALIDARG, E_INVALIDARG, true},
    {"SetArgumentsFails", "IShellLinkW::SetArguments", E_OUTOFMEMORY, E_OUTOFMEMORY, true},
    {"SetWorkingDirectoryFails", "IShellLinkW::SetWorkingDirectory", E_FAIL, E_FAIL, true},
    {"FileInterfaceRefused", "IShellLinkW::QueryInterface", E_NOINTERFACE, E_NOINTERFACE, true},
    {"SaveFails", "IPersistFile::Save", E_ACCESSDENIED, E_ACCESSDENIED, true},
};

class CreateGameTaskWriteFailure : public testing::TestWithParam<WriteFailureCase> {};

TEST_P(CreateGameTaskWriteFailure, ReturnsTheFailureThatStoppedIt) {
    const WriteFailureCase& c = GetParam();
    FaultingSystem system;
    system.Fail(c.failingCall, c.failure);
    EXPECT_EQ(AddPlayTask(L"Play", L"C:\\Games\\Demo\\demo.exe", L"-windowed"), c.result);
    EXPECT_FALSE(Exists(system, kPlayLink));
    EXPECT_EQ(Exists(system, kCommonTree + L"\\PlayTasks\\0"), c.indexFolderMade);
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateGameTaskWriteFailure, testing::ValuesIn(kWriteFailureCases),
                         [](const auto& p) { return std::string(p.param.name); });

// The index folder below C:\ProgramData is 96 characters long; with "\" and ".lnk" a name of
// 158 characters makes a shortcut path of 259, the most Windows' shell saves (MAX_PATH with its
// terminator); one more, or a name that does not even fit the buffer, creates nothing.
TEST(CreateGameTask, ShortcutPathOfMaxPathOrMoreCreatesNothing) {
    for (const std::size_t length : {158, 159, 411}) {
        SCOPED_TRACE(length);
        FaultingSystem system;
        const std::wstring name(length, L'n');
        const std::wstring shortcut = kCommonTree + L"\\PlayTasks\\0\\" + name + L".lnk";
        const HRESULT added = AddPlayTask(name.c_str());
        if (length == 158) {
            EXPECT_EQ(added, S_OK);
            EXPECT_EQ(shortcut.size(), std::size_t{MAX_PATH - 1});
            EXPECT_TRUE(SavedLink(system, shortcut).has_value());
        } else {
            EXPECT_EQ(added, HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
            EXPECT_FALSE(Exists(system, kCommonTree));
        }
        EXPECT_TRUE(system.AccountsBalance());
    }
}

struct NameCase {
    const char* name;
    const wchar_t* text;
};

const NameCase kRejectedNames[] = {
    {"Empty", L""},
    {"Dot", L"."},
    {"DotDot", L".."},
    {"Backslash", L"a\\b"},
    {"Slash", L"a/b"},
    {"ClimbsOut", L"..\\..\\..\\Startup\\evil"},
    {"DataStream", L"Play:hidden"},
    {"DriveLetter", L"C:evil"},
    {"Less", L"a<b"},
    {"Greater", L"a>b"},
    {"Quote", L"a\"b"},
    {"Bar", L"a|b"},
    {"Question", L"a?"},
    {"Star", L"*"},
    {"ControlOne", L"a\x01"},
    {"Tab", L"Play\tNow"},
    {"ControlThirtyOne", L"\x1f"},
    {"TrailingDot", L"Play."},
    {"TrailingBlank", L"Play "},
    {"Con", L"CON"},
    {"PrnLowerCase", L"prn"},
    {"AuxMixedCase", L"Aux"},
    {"NulWithExtension", L"nul.txt"},
    {"Com0", L"COM0"},
    {"Com1WithExtension", L"COM1.txt"},
    {"Lpt9", L"lpt9"},
    {"NulBlankBeforeDot", L"nul .x"},
    {"Com1BlanksBeforeDot", L"COM1  .y"},
    {"ComSuperscriptOne", L"COM\u00b9"},
    {"LptSuperscriptThreeWithExtension", L"lpt\u00b3.txt"},
    {"ConsoleInput", L"CONIN$"},
    {"ConsoleOutputWithExtension", L"conout$.log"},
};

class CreateGameTaskRejectedName : public testing::TestWithParam<NameCase> {};

// Refused before any system call.
TEST_P(CreateGameTaskRejectedName, IsInvalidAndTouchesNothing) {
    FaultingSystem system;
    EXPECT_EQ(AddPlayTask(GetParam().text), HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    EXPECT_EQ(system.CallCount(), 0);
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateGameTaskRejectedName, testing::ValuesIn(kRejectedNames),
                         [](const auto& p) { return std::string(p.param.name); });

const NameCase kAcceptedNames[] = {
    {"Spaces", L"Play Online"},
    {"Dots", L"...v1.2 ... final"},
    {"Punctuation", L"Play (safe mode) #2 & more; 100%"},
    {"NonAscii", L"Spiel \u00fcber Netz \u4e16"},
    {"DeviceNameInsideAWord", L"CONSOLE"},
    {"DeviceNameAsExtension", L"Play.nul"},
    {"TwoDigitPort", L"COM10"},
    {"SuperscriptFour", L"COM\u2074"},
    {"BlankInsideDeviceName", L"NU L.x"},
};

class CreateGameTaskAcceptedName : public testing::TestWithParam<NameCase> {};

TEST_P(CreateGameTaskAcceptedName, IsSavedUnderThatName) {
    FaultingSystem system;
    EXPECT_EQ(AddPlayTask(GetParam().text), S_OK);
    const std::vector<ListedTask> tasks = ListedTasks(GIS_ALL_USERS);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0].name, GetParam().text);
    EXPECT_EQ(tasks[0].index, 0);
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateGameTaskAcceptedName, testing::ValuesIn(kAcceptedNames),
                         [](const auto& p) { return std::string(p.param.name); });

// Refused before any system call.
TEST(CreateGameTask, BadNamesTargetsAndLengthsAreRefusedWithTheirReasonAndTouchNothing) {
    FaultingSystem system;
    const HRESULT badName = HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    const HRESULT tooLong = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(AddPlayTask(nullptr), badName);
    EXPECT_EQ(CreateGameTask(GIS_ALL_USERS, kGameId, TaskKind::Play, 0, L"Play", nullptr, nullptr),
              E_INVALIDARG);
    EXPECT_EQ(AddPlayTask(L"Play", L""), E_INVALIDARG);
    // Refused, never cut: the shortcut would start the game with other arguments, or nothing.
    const std::wstring overlong(1024, L'a');
    EXPECT_EQ(AddPlayTask(L"Play", L"C:\\Games\\Demo\\demo.exe", overlong.c_str()), tooLong);
    const std::wstring longTarget = L"C:\\" + std::wstring(MAX_PATH - 3, L'd');
    EXPECT_EQ(AddPlayTask(L"Play", longTarget.c_str()), tooLong);
    // The command line's quoting broke the task line: a quote in the target, or one quote of a
    // pair in the arguments.
    EXPECT_EQ(AddPlayTask(L"Play", L"C:\\Games\\Demo\" x.exe"), kStrayQuoteInTaskLine);
    EXPECT_EQ(AddPlayTask(L"Play", L"C:\\Games\\Demo\\demo.exe", L"-data C:\\Games\" -n \"a\""),
              kStrayQuoteInTaskLine);
    // A line break would give the Internet shortcut file lines of the address's choosing.
    for (const wchar_t* address : {L"http://example.com/\r\nIconFile=\\\\evil\\share\\i.ico",
                                   L"https://example.com/\t", L"http://example.com/\x7f"}) {
        EXPECT_EQ(
            CreateGameTask(GIS_ALL_USERS, kGameId, TaskKind::Support, 0, L"Site", address, nullptr),
            badName);
    }
    EXPECT_EQ(system.CallCount(), 0);
    EXPECT_TRUE(system.AccountsBalance());
}

struct WebAddressCase {
    const char* name;
    const wchar_t* target;
    bool webAddress;
};

const WebAddressCase kWebAddressCases[] = {
    {"Https", L"https://example.com/support", true},
    {"HttpUpperCase", L"HTTP://EXAMPLE.COM", true},
    {"MixedCaseScheme", L"hTTpS://example.com", true},
    {"OtherScheme", L"ftp://example.com", false},
    {"SchemeWithoutSlashes", L"http:example.com", false},
    {"SchemeLaterInPath", L"C:\\http://x", false},
};

class CreateGameTaskWebAddress : public testing::TestWithParam<WebAddressCase> {};

// A web address is saved as given, with nothing else in the file.
TEST_P(CreateGameTaskWebAddress, IsAnInternetShortcutWithoutArgumentsOrWorkingFolder) {
    const WebAddressCase& c = GetParam();
    FaultingSystem system;
    EXPECT_EQ(CreateGameTask(GIS_ALL_USERS, kGameId, TaskKind::Support, 0, L"Website", c.target,
                             L"-ignored"),
              S_OK);
    const std::wstring shortcut = kCommonTree + L"\\SupportTasks\\0\\Website";
    EXPECT_EQ(Exists(system, shortcut + L".url"), c.webAddress);
    EXPECT_EQ(Exists(system, shortcut + L".lnk"), !c.webAddress);
    if (c.webAddress) {
        EXPECT_EQ(FileBytes(system, shortcut + L".url"), InternetShortcutBytes(c.target));
    }
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateGameTaskWebAddress, testing::ValuesIn(kWebAddressCases),
                         [](const auto& p) { return std::string(p.param.name); });

// A relative target that is a folder whose full path has `length` characters: a shortcut holds
// a target and a working folder of MAX_PATH - 1 characters at most.
std::wstring RelativeFolderOfLength(std::size_t length) {
    return std::wstring(length - CurrentFolder().size() - 1, L'd') + L"\\";
}

// The longest is set; with one more nothing is saved (the shell refuses the target already).
TEST(CreateGameTask, WorkingFolderOfTheMostAShortcutHolds) {
    for (const std::size_t length : {MAX_PATH - 1, MAX_PATH}) {
        SCOPED_TRACE(length);
        FaultingSystem system;
        const std::wstring target = RelativeFolderOfLength(length);
        const HRESULT added = AddPlayTask(L"Play", target.c_str());
        const std::optional<ShellLinkContents> link = SavedLink(system, kPlayLink);
        EXPECT_EQ(link.has_value(), length < MAX_PATH);
        EXPECT_EQ(SUCCEEDED(added), length < MAX_PATH);
        if (link) {
            EXPECT_EQ(link->workingDirectory, CurrentFolder() + target);
        }
        EXPECT_TRUE(system.AccountsBalance());
    }
}

// Each call in turn fails: the shortcut is written exactly when S_OK is returned, and only a
// failed COM initialisation or full path (the working folder then left out) still writes it.
TEST(CreateGameTask, FaultInjectionSweep) {
    int written = 0;
    SweepEveryCall(
        [](FaultingSystem&) {},
        [] { return AddPlayTask(L"Play", L"C:\\Games\\Demo\\demo.exe", L"-windowed"); },
        [&](FaultingSystem& system, HRESULT result) {
            const std::optional<ShellLinkContents> link = SavedLink(system, kPlayLink);
            EXPECT_EQ(link.has_value(), result == S_OK);
            if (link) {
                ++written;
                EXPECT_EQ(link->localPath, L"C:\\Games\\Demo\\demo.exe");
                EXPECT_EQ(link->arguments, L"-windowed");
            } else {
                EXPECT_TRUE(result == E_FAIL || result == HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED))
                    << std::hex << result;
            }
        });
    EXPECT_EQ(written, 2);
}

// ---- RemoveGameTasks -------------------------------------------------------------------------

// Task trees of the game in the scopes asked for, and of another game in both, which stay.
void ArrangeTrees(FaultingSystem& system, bool local, bool common) {
    for (const GUID& game : {kGameId, kOtherGameId}) {
        for (const int scope : {GIS_CURRENT_USER, GIS_ALL_USERS}) {
            const bool wanted = scope == GIS_CURRENT_USER ? local : common;
            if (IsEqualGUID(game, kGameId) && !wanted) {
                continue;
            }
            for (const TaskKind kind : {TaskKind::Play, TaskKind::Support}) {
                ASSERT_EQ(CreateGameTask(scope, game, kind, 0, L"Play",
                                         L"C:\\Games\\Demo\\demo.exe", nullptr),
                          S_OK);
            }
        }
    }
    system.StartCounting();
}

void ExpectOtherGameKept(const FaultingSystem& system) {
    EXPECT_TRUE(Exists(system, kOtherLocalTree + L"\\PlayTasks\\0\\Play.lnk"));
    EXPECT_TRUE(Exists(system, kOtherCommonTree + L"\\SupportTasks\\0\\Play.lnk"));
}

struct ExistingTreesCase {
    const char* name;
    bool local;
    bool common;
};

// A tree that does not exist is no failure.
const ExistingTreesCase kExistingTreesCases[] = {
    {"Neither", false, false},
    {"LocalOnly", true, false},
    {"CommonOnly", false, true},
    {"Both", true, true},
};

class RemoveGameTasksExistingTrees : public testing::TestWithParam<ExistingTreesCase> {};

TEST_P(RemoveGameTasksExistingTrees, DeletesWhatThereIsAndNothingElse) {
    const ExistingTreesCase& c = GetParam();
    FaultingSystem system;
    ArrangeTrees(system, c.local, c.common);
    EXPECT_EQ(RemoveGameTasks(kGameId), S_OK);
    EXPECT_FALSE(Exists(system, kLocalTree));
    EXPECT_FALSE(Exists(system, kCommonTree));
    ExpectOtherGameKept(system);
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, RemoveGameTasksExistingTrees,
                         testing::ValuesIn(kExistingTreesCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(RemoveScopeTasks, RemovesBothKindsOfTheScopesTreeOnly) {
    FaultingSystem system;
    ArrangeTrees(system, true, true);
    EXPECT_EQ(RemoveScopeTasks(GIS_CURRENT_USER, kGameId), S_OK);
    EXPECT_EQ(ListedTasks(GIS_CURRENT_USER).size(), 0u);
    EXPECT_TRUE(Exists(system, kLocalTree));
    EXPECT_EQ(ListedTasks(GIS_ALL_USERS).size(), 2u);
    ExpectOtherGameKept(system);
    EXPECT_TRUE(system.AccountsBalance());
}

struct RemovalFailureCase {
    const char* name;
    std::vector<std::pair<std::string, long>> failures;  // calls made to fail, with what
    HRESULT result;
    bool localKept;
    bool commonKept;
};

const std::string kLocalShortcutDeletion = "DeleteFileW " + LogText(kLocalTree.c_str());
const std::string kCommonFolderRemoval = "RemoveDirectoryW " + LogText(kCommonTree.c_str());
const std::string kLocalListing = "FindFirstFileW " + LogText(kLocalTree.c_str());

const RemovalFailureCase kRemovalFailureCases[] = {
    // Only a missing file or path means nothing to delete; any other reason may hide tasks.
    {"ExistenceUntoldPathNotFound",
     {{"GetFileAttributesW", ERROR_PATH_NOT_FOUND}},
     S_OK,
     true,
     true},
    {"ExistenceUntoldFileNotFound",
     {{"GetFileAttributesW", ERROR_FILE_NOT_FOUND}},
     S_OK,
     true,
     true},
    {"ExistenceUntoldAccessDenied",
     {{"GetFileAttributesW", ERROR_ACCESS_DENIED}},
     E_ACCESSDENIED,
     true,
     true},
    // Both folders are asked for before anything is deleted.
    {"LocalQueryFails", {{"SHGetFolderPathW 0x1c", E_ACCESSDENIED}}, E_ACCESSDENIED, true, true},
    {"CommonQueryFails", {{"SHGetFolderPathW 0x23", E_OUTOFMEMORY}}, E_OUTOFMEMORY, true, true},
    {"BothQueriesFailFirstIsReported",
     {{"SHGetFolderPathW 0x1c", E_ACCESSDENIED}, {"SHGetFolderPathW 0x23", E_OUTOFMEMORY}},
     E_ACCESSDENIED,
     true,
     true},
    // A failed deletion is reported after both trees were attempted.
    {"LocalShortcutNotDeleted",
     {{kLocalShortcutDeletion, ERROR_ACCESS_DENIED}},
     E_ACCESSDENIED,
     true,
     false},
    {"LocalFolderNotListed", {{kLocalListing, ERROR_ACCESS_DENIED}}, E_ACCESSDENIED, true, false},
    {"CommonFolderNotEmpty",
     {{kCommonFolderRemoval, ERROR_DIR_NOT_EMPTY}},
     HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY),
     false,
     true},
    {"BothFailFirstIsReported",
     {{kLocalShortcutDeletion, ERROR_ACCESS_DENIED}, {kCommonFolderRemoval, ERROR_DIR_NOT_EMPTY}},
     E_ACCESSDENIED,
     true,
     true},
};

class RemoveGameTasksFailure : public testing::TestWithParam<RemovalFailureCase> {};

TEST_P(RemoveGameTasksFailure, IsReportedAndKeepsOnlyTheTreesItConcerns) {
    const RemovalFailureCase& c = GetParam();
    FaultingSystem system;
    ArrangeTrees(system, true, true);
    for (const auto& [call, failure] : c.failures) {
        system.Fail(call, failure);
    }
    EXPECT_EQ(RemoveGameTasks(kGameId), c.result);
    EXPECT_EQ(Exists(system, kLocalTree), c.localKept);
    EXPECT_EQ(Exists(system, kCommonTree), c.commonKept);
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, RemoveGameTasksFailure, testing::ValuesIn(kRemovalFailureCases),
                         [](const auto& p) { return std::string(p.param.name); });

// Each call in turn fails, and its failure is reported: only a failed folder query (of the two)
// keeps both trees; after a failed existence check or deletion the other tree is still deleted.
TEST(RemoveGameTasks, FaultInjectionSweep) {
    int queriesFailed = 0;
    SweepEveryCall(
        [](FaultingSystem& system) { ArrangeTrees(system, true, true); },
        [] { return RemoveGameTasks(kGameId); },
        [&](FaultingSystem& system, HRESULT result) {
            const bool bothKept = Exists(system, kLocalTree) && Exists(system, kCommonTree);
            const bool oneKept = Exists(system, kLocalTree) != Exists(system, kCommonTree);
            EXPECT_TRUE(bothKept || oneKept);
            // A folder query's own failure (an HRESULT), else the file system's.
            EXPECT_EQ(result, bothKept ? E_FAIL : E_ACCESSDENIED);
            queriesFailed += bothKept ? 1 : 0;
            ExpectOtherGameKept(system);
        });
    EXPECT_EQ(queriesFailed, 2);
}

// ---- Links and entries the program did not write -------------------------------------------

namespace fs = std::filesystem;

const std::wstring kCommonExplorerFolder = kCommonExplorer.substr(0, kCommonExplorer.size() - 1);

// A folder outside every task tree that a planted link leads to, holding a file and what looks
// like a task.
fs::path OutsideFolder(const FaultingSystem& system) {
    const fs::path outside = system.Folder() / "outside";
    fs::create_directories(outside / "PlayTasks" / "0");
    std::ofstream(outside / "keep.txt") << "keep";
    std::ofstream(outside / "PlayTasks" / "0" / "Play.lnk") << "not the program's";
    return outside;
}

// Puts a host link to target at a path on drive C:, in place of what is there.
void PlantLink(const FaultingSystem& system, const std::wstring& path, const fs::path& target) {
    const fs::path link = system.HostPath(path);
    fs::remove_all(link);
    fs::create_directories(link.parent_path());
    fs::create_symlink(target, link);
}

void PlantFolder(const FaultingSystem& system, const std::wstring& path) {
    fs::create_directories(system.HostPath(path));
}

// The entries of the game's common tree with the tree itself, relative to its GameExplorer folder
// ("\" between names); a link is listed, never entered.
std::set<std::wstring> CommonTreeEntries(const FaultingSystem& system) {
    std::set<std::wstring> entries;
    const fs::path explorer = system.HostPath(kCommonExplorer);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(explorer)) {
        std::wstring relative = entry.path().lexically_relative(explorer).wstring();
        std::replace(relative.begin(), relative.end(), L'/', L'\\');
        if (relative.starts_with(kGuidText)) {
            entries.insert(relative);
        }
    }
    return entries;
}

// The game's tree with each entry below it given and the folders above that entry.
std::set<std::wstring> TreeWith(const std::vector<std::wstring>& below) {
    std::set<std::wstring> entries{kGuidText};
    for (const std::wstring& entry : below) {
        for (std::size_t end = entry.find(L'\\'); end != std::wstring::npos;
             end = entry.find(L'\\', end + 1)) {
            entries.insert(kGuidText + L"\\" + entry.substr(0, end));
        }
        entries.insert(kGuidText + L"\\" + entry);
    }
    return entries;
}

struct PlantedEntryCase {
    const char* name;
    std::function<void(const FaultingSystem&, const fs::path& outside)> plant;
    std::vector<std::wstring> left;  // below the common tree: what stays, with its folders
};

const PlantedEntryCase kPlantedEntryCases[] = {
    {"FolderLinkInIndexFolder",
     [](const FaultingSystem& s, const fs::path& outside) {
         PlantLink(s, kCommonTree + L"\\PlayTasks\\0\\Outside", outside);
     },
     {L"PlayTasks\\0\\Outside"}},
    {"FileLinkNamedLikeAShortcut",
     [](const FaultingSystem& s, const fs::path& outside) {
         PlantLink(s, kCommonTree + L"\\PlayTasks\\0\\Evil.lnk", outside / "keep.txt");
     },
     {L"PlayTasks\\0\\Evil.lnk"}},
    {"KindFolderIsALink",
     [](const FaultingSystem& s, const fs::path& outside) {
         PlantLink(s, kCommonTree + L"\\PlayTasks", outside / "PlayTasks");
     },
     {L"PlayTasks"}},
    {"GameFolderIsALink",
     [](const FaultingSystem& s, const fs::path& outside) { PlantLink(s, kCommonTree, outside); },
     {}},
    // The real tree is moved outside, and the link leads to it whole.
    {"GameExplorerFolderIsALink",
     [](const FaultingSystem& s, const fs::path& outside) {
         const fs::path explorer = s.HostPath(kCommonExplorerFolder);
         fs::rename(explorer, outside / "GameExplorer");
         fs::create_symlink(outside / "GameExplorer", explorer);
     },
     {L"PlayTasks\\0\\Play.lnk", L"SupportTasks\\0\\Play.lnk"}},
    {"OtherFileInIndexFolder",
     [](const FaultingSystem& s, const fs::path&) {
         s.PutFile(kCommonTree + L"\\PlayTasks\\0\\notes.txt", "notes");
     },
     {L"PlayTasks\\0\\notes.txt"}},
    {"FolderNamedLikeAShortcut",
     [](const FaultingSystem& s, const fs::path&) {
         PlantFolder(s, kCommonTree + L"\\PlayTasks\\0\\Sub.lnk");
     },
     {L"PlayTasks\\0\\Sub.lnk"}},
    {"FolderThatIsNoIndex",
     [](const FaultingSystem& s, const fs::path&) {
         PlantFolder(s, kCommonTree + L"\\SupportTasks\\01");
     },
     {L"SupportTasks\\01"}},
};

class RemoveGameTasksPlantedEntry : public testing::TestWithParam<PlantedEntryCase> {};

// The entry stays, with the folders above it, and is reported; everything else of both trees
// goes, and nothing outside them does.
TEST_P(RemoveGameTasksPlantedEntry, IsLeftWithItsFoldersAndReported) {
    const PlantedEntryCase& c = GetParam();
    FaultingSystem system;
    ArrangeTrees(system, true, true);
    const fs::path outside = OutsideFolder(system);
    c.plant(system, outside);
    EXPECT_EQ(RemoveGameTasks(kGameId), kTaskFolderHoldsLinkOrForeignEntry);
    EXPECT_EQ(CommonTreeEntries(system), TreeWith(c.left));
    EXPECT_FALSE(Exists(system, kLocalTree));
    EXPECT_TRUE(fs::is_regular_file(outside / "keep.txt"));
    EXPECT_TRUE(fs::is_regular_file(outside / "PlayTasks" / "0" / "Play.lnk"));
    ExpectOtherGameKept(system);
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, RemoveGameTasksPlantedEntry, testing::ValuesIn(kPlantedEntryCases),
                         [](const auto& p) { return std::string(p.param.name); });

// A link at any folder a shortcut would be written into or below refuses the task: nothing is
// written, through the link or beside it.
TEST(CreateGameTask, IsRefusedWhenAFolderOnTheWayIsALink) {
    for (const std::wstring& folder :
         {kCommonExplorerFolder, kCommonTree, kCommonTree + L"\\PlayTasks",
          kCommonTree + L"\\PlayTasks\\0"}) {
        SCOPED_TRACE(LogText(folder.c_str()));
        FaultingSystem system;
        const fs::path outside = system.Folder() / "outside";
        fs::create_directories(outside);
        PlantLink(system, folder, outside);
        EXPECT_EQ(AddPlayTask(L"Play"), kTaskFolderHoldsLinkOrForeignEntry);
        EXPECT_TRUE(fs::is_empty(outside));
        EXPECT_TRUE(system.AccountsBalance());
    }
}

}  // namespace
