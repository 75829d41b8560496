#include "registration/task_shortcuts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registration/format_wide.h"
#include "support/scripted_system.h"

namespace {

using Calls = std::vector<std::string>;

constexpr GUID kGameId = {
    0x9A5EA990, 0x3034, 0x4D6F, {0x91, 0x28, 0x01, 0xF3, 0xC6, 0x10, 0x22, 0xBC}};
const std::string kGuidText = "{9A5EA990-3034-4D6F-9128-01F3C61022BC}";
const std::string kLocalTree =
    "C:\\Users\\player\\AppData\\Local\\Microsoft\\Windows\\GameExplorer\\" + kGuidText;
const std::string kCommonTree = "C:\\ProgramData\\Microsoft\\Windows\\GameExplorer\\" + kGuidText;
const std::wstring kLocalTreeWide(kLocalTree.begin(), kLocalTree.end());
const std::wstring kCommonTreeWide(kCommonTree.begin(), kCommonTree.end());

constexpr HRESULT kClassAbsent = REGDB_E_CLASSNOTREG;
constexpr HRESULT kChangedMode = static_cast<HRESULT>(0x80010106);

std::string Narrow(const std::wstring& text) {
    return LogText(text.c_str());
}

HRESULT AddPlayTask(const wchar_t* name, const wchar_t* target = L"C:\\Games\\Demo\\demo.exe",
                    const wchar_t* arguments = nullptr) {
    return CreateGameTask(GIS_ALL_USERS, kGameId, TaskKind::Play, 0, name, target, arguments);
}

std::string DeletionOf(const std::string& path) {
    return "SHFileOperationW func=3 from=" + path +
           " paths=1 flags=0x414 hwnd=null to=null title=null";
}

// What the double's failing folder creation reports.
const HRESULT kInjectedFolderError = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);

// ---- CreateGameTask --------------------------------------------------------------------------

TEST(CreateGameTask, CallsThePlatformInOrderAndReleasesBothInterfacesBeforeUninitialising) {
    ScriptedSystem system;
    EXPECT_EQ(AddPlayTask(L"Play", L"C:\\Games\\Demo\\demo.exe", L"-windowed"), S_OK);
    const std::string indexFolder = kCommonTree + "\\PlayTasks\\0";
    // How the target's full path is asked for is the path unit's affair; the shortcut's own calls
    // and their order are this test's.
    Calls calls = system.Calls();
    std::erase_if(calls,
                  [](const std::string& call) { return call.starts_with("GetFullPathNameW"); });
    EXPECT_EQ(
        calls,
        (Calls{"SHGetFolderPathW 0x23 0", "SHCreateDirectoryExW " + indexFolder, "CoInitialize",
               "CoCreateInstance " + LogGuid(CLSID_ShellLink) + " " + LogGuid(IID_IShellLinkW),
               "IShellLinkW::SetPath C:\\Games\\Demo\\demo.exe",
               "IShellLinkW::SetArguments -windowed",
               "IShellLinkW::SetWorkingDirectory C:\\Games\\Demo\\",
               "IShellLinkW::QueryInterface " + LogGuid(IID_IPersistFile),
               "IPersistFile::Save " + indexFolder + "\\Play.lnk 1", "Release IShellLinkW",
               "Release IShellLinkW", "CoUninitialize"}));
    EXPECT_TRUE(system.AccountsBalance());
}

struct PlacementCase {
    const char* name;
    int scope;
    TaskKind kind;
    int index;
    const char* folderQuery;
    std::string indexFolder;
};

const PlacementCase kPlacementCases[] = {
    {"CurrentUserPlayTask", GIS_CURRENT_USER, TaskKind::Play, 0, "0x1c",
     kLocalTree + "\\PlayTasks\\0"},
    {"AllUsersSupportTask", GIS_ALL_USERS, TaskKind::Support, 12, "0x23",
     kCommonTree + "\\SupportTasks\\12"},
    {"NotInstalledScopeMeansAllUsers", GIS_NOT_INSTALLED, TaskKind::Play, 3, "0x23",
     kCommonTree + "\\PlayTasks\\3"},
    {"UnknownScopeMeansAllUsers", 7, TaskKind::Play, 0, "0x23", kCommonTree + "\\PlayTasks\\0"},
    {"CurrentUserSupportTask", GIS_CURRENT_USER, TaskKind::Support, 1, "0x1c",
     kLocalTree + "\\SupportTasks\\1"},
};

class CreateGameTaskPlacement : public testing::TestWithParam<PlacementCase> {};

TEST_P(CreateGameTaskPlacement, ScopeKindAndIndexChooseTheFolder) {
    const PlacementCase& c = GetParam();
    ScriptedSystem system;
    EXPECT_EQ(CreateGameTask(c.scope, kGameId, c.kind, c.index, L"Play",
                             L"C:\\Games\\Demo\\demo.exe", nullptr),
              S_OK);
    EXPECT_EQ(system.CallsStartingWith("SHGetFolderPathW"),
              Calls{std::string("SHGetFolderPathW ") + c.folderQuery + " 0"});
    EXPECT_EQ(system.CallsStartingWith("SHCreateDirectoryExW"),
              Calls{"SHCreateDirectoryExW " + c.indexFolder});
    ASSERT_EQ(system.SavedLinks().size(), 1u);
    EXPECT_EQ(Narrow(system.SavedLinks()[0].path), c.indexFolder + "\\Play.lnk");
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateGameTaskPlacement, testing::ValuesIn(kPlacementCases),
                         [](const auto& p) { return std::string(p.param.name); });

struct LinkContentCase {
    const char* name;
    const wchar_t* target;
    const wchar_t* arguments;
    const wchar_t* workingFolder;
};

const LinkContentCase kLinkContentCases[] = {
    {"AbsoluteTargetWithArguments", L"C:\\Games\\Demo\\demo.exe", L"-windowed -lang de",
     L"C:\\Games\\Demo\\"},
    {"RelativeTargetKeptAsGiven", L"bin\\demo.exe", nullptr, L"C:\\Work\\bin\\"},
    {"BareFileNameInCurrentFolder", L"demo.exe", L"-x", L"C:\\Work\\"},
    {"PairedQuotesInArguments", L"C:\\Games\\Demo\\demo.exe", L"-name \"a b\" -data \"C:\\D\\\\\"",
     L"C:\\Games\\Demo\\"},
    {"TargetEndingInBackslashIsItsOwnFolder", L"C:\\Games\\Demo\\", nullptr, L"C:\\Games\\Demo\\"},
};

class CreateGameTaskLinkContent : public testing::TestWithParam<LinkContentCase> {};

TEST_P(CreateGameTaskLinkContent, TargetArgumentsAndWorkingFolder) {
    const LinkContentCase& c = GetParam();
    ScriptedSystem system;
    EXPECT_EQ(AddPlayTask(L"Play", c.target, c.arguments), S_OK);
    ASSERT_EQ(system.SavedLinks().size(), 1u);
    const ScriptedSystem::SavedLink& link = system.SavedLinks()[0];
    EXPECT_EQ(link.target, c.target);
    EXPECT_EQ(link.workingDirectory, std::optional<std::wstring>(c.workingFolder));
    if (c.arguments == nullptr) {
        EXPECT_FALSE(system.Called("IShellLinkW::SetArguments"));
        EXPECT_EQ(link.arguments, std::nullopt);
    } else {
        EXPECT_EQ(link.arguments, std::optional<std::wstring>(c.arguments));
    }
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateGameTaskLinkContent, testing::ValuesIn(kLinkContentCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(CreateGameTask, SameTaskTwiceReplacesTheShortcut) {
    ScriptedSystem system;
    EXPECT_EQ(AddPlayTask(L"Play"), S_OK);
    system.script.createDirectory = ERROR_ALREADY_EXISTS;
    EXPECT_EQ(AddPlayTask(L"Play"), S_OK);
    const std::string save = "IPersistFile::Save " + kCommonTree + "\\PlayTasks\\0\\Play.lnk 1";
    EXPECT_EQ(system.CallsStartingWith("IPersistFile::Save"), (Calls{save, save}));
    EXPECT_TRUE(system.AccountsBalance());
}

TEST(CreateGameTask, FailedCoInitializeStillWritesAndIsNotBalanced) {
    ScriptedSystem system;
    system.script.coInitialize = kChangedMode;
    EXPECT_EQ(AddPlayTask(L"Play"), S_OK);
    EXPECT_EQ(system.SavedLinks().size(), 1u);
    EXPECT_FALSE(system.Called("CoUninitialize"));
    EXPECT_TRUE(system.AccountsBalance());
}

// A shortcut that is not written is reported with the failure that stopped it.
struct WriteFailureCase {
    const char* name;
    void (*arrange)(SystemScript&);
    HRESULT result;
    bool folderCreated;
};

const WriteFailureCase kWriteFailureCases[] = {
    {"CommonFolderQueryFails", [](SystemScript& s) { s.commonAppDataResult = E_ACCESSDENIED; },
     E_ACCESSDENIED, false},
    {"ShellLinkAbsent", [](SystemScript& s) { s.createShellLink = kClassAbsent; }, kClassAbsent,
     true},
    {"FileInterfaceRefused", [](SystemScript& s) { s.queryPersistFile = E_NOINTERFACE; },
     E_NOINTERFACE, true},
    {"SaveFails", [](SystemScript& s) { s.save = E_ACCESSDENIED; }, E_ACCESSDENIED, true},
    {"SetPathFails", [](SystemScript& s) { s.setPath = E_INVALIDARG; }, E_INVALIDARG, true},
    {"SetWorkingDirectoryFails", [](SystemScript& s) { s.setWorkingDirectory = E_FAIL; }, E_FAIL,
     true},
    // The folder's own failure, not the later save's missing path.
    {"IndexFolderRefused", [](SystemScript& s) { s.createDirectory = ERROR_ACCESS_DENIED; },
     HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), true},
};

class CreateGameTaskWriteFailure : public testing::TestWithParam<WriteFailureCase> {};

TEST_P(CreateGameTaskWriteFailure, ReturnsTheFailureThatStoppedIt) {
    const WriteFailureCase& c = GetParam();
    ScriptedSystem system;
    c.arrange(system.script);
    EXPECT_EQ(AddPlayTask(L"Play"), c.result);
    EXPECT_TRUE(system.SavedLinks().empty());
    EXPECT_EQ(system.Called("SHCreateDirectoryExW"), c.folderCreated);
    EXPECT_EQ(system.Called("CoInitialize"),
              c.folderCreated && system.script.createDirectory == ERROR_SUCCESS);
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateGameTaskWriteFailure, testing::ValuesIn(kWriteFailureCases),
                         [](const auto& p) { return std::string(p.param.name); });

// The index folder below C:\ProgramData is 96 characters long; with "\" and ".lnk" a name of
// 158 characters makes a shortcut path of 259, the most Windows' shell saves (MAX_PATH with its
// terminator); one more, or a name that does not even fit the buffer, creates nothing.
TEST(CreateGameTask, ShortcutPathOfMaxPathOrMoreCreatesNothing) {
    for (const std::size_t length : {158, 159, 411}) {
        ScriptedSystem system;
        const HRESULT added = AddPlayTask(std::wstring(length, L'n').c_str());
        if (length == 158) {
            EXPECT_EQ(added, S_OK);
            ASSERT_EQ(system.SavedLinks().size(), 1u);
            EXPECT_EQ(system.SavedLinks()[0].path.size(), std::size_t{MAX_PATH - 1});
        } else {
            EXPECT_EQ(added, HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE)) << length;
            EXPECT_EQ(system.Calls(), Calls{"SHGetFolderPathW 0x23 0"});
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

TEST_P(CreateGameTaskRejectedName, IsInvalidAndTouchesNothing) {
    ScriptedSystem system;
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
    ScriptedSystem system;
    EXPECT_EQ(AddPlayTask(GetParam().text), S_OK);
    ASSERT_EQ(system.SavedLinks().size(), 1u);
    EXPECT_EQ(system.SavedLinks()[0].path,
              kCommonTreeWide + L"\\PlayTasks\\0\\" + GetParam().text + L".lnk");
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateGameTaskAcceptedName, testing::ValuesIn(kAcceptedNames),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(CreateGameTask, BadNamesTargetsAndLengthsAreRefusedWithTheirReasonAndTouchNothing) {
    ScriptedSystem system;
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
    EXPECT_EQ(AddPlayTask(L"Play", L"C:\\Games\\Demo\" x.exe"), badName);
    EXPECT_EQ(AddPlayTask(L"Play", L"C:\\Games\\Demo\\demo.exe", L"-data C:\\Games\" -n \"a\""),
              E_INVALIDARG);
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

// Relative targets whose working folder below the current folder "C:\Work" has 259 characters,
// the most a shortcut holds, and one more.
const std::wstring kTargetOfLongestFolder = std::wstring(250, L'd') + L"\\demo.exe";
const std::wstring kTargetOfTooLongFolder = std::wstring(251, L'd') + L"\\demo.exe";

TEST(CreateGameTask, ArgumentsOfTheMostAShortcutHoldsAreWrittenWhole) {
    ScriptedSystem system;
    const std::wstring longest(1023, L'a');
    EXPECT_EQ(AddPlayTask(L"Play", L"C:\\Games\\Demo\\demo.exe", longest.c_str()), S_OK);
    ASSERT_EQ(system.SavedLinks().size(), 1u);
    EXPECT_EQ(system.SavedLinks()[0].arguments, longest);
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

TEST_P(CreateGameTaskWebAddress, IsAnInternetShortcutWithoutArgumentsOrWorkingFolder) {
    const WebAddressCase& c = GetParam();
    ScriptedSystem system;
    EXPECT_EQ(CreateGameTask(GIS_ALL_USERS, kGameId, TaskKind::Support, 0, L"Website", c.target,
                             L"-ignored"),
              S_OK);
    ASSERT_EQ(system.SavedLinks().size(), 1u);
    const ScriptedSystem::SavedLink& link = system.SavedLinks()[0];
    EXPECT_EQ(link.internetShortcut, c.webAddress);
    EXPECT_EQ(link.target, c.target);
    EXPECT_EQ(link.path,
              kCommonTreeWide + L"\\SupportTasks\\0\\Website" + (c.webAddress ? L".url" : L".lnk"));
    if (c.webAddress) {
        EXPECT_EQ(system.CallsStartingWith("IUniformResourceLocatorW::SetURL"),
                  Calls{"IUniformResourceLocatorW::SetURL " + Narrow(c.target) + " 0"});
        EXPECT_FALSE(system.Called("GetFullPathNameW"));
        EXPECT_FALSE(link.arguments.has_value());
        EXPECT_FALSE(link.workingDirectory.has_value());
    }
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateGameTaskWebAddress, testing::ValuesIn(kWebAddressCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(CreateGameTask, LongestWorkingFolderAShortcutHoldsIsSet) {
    ScriptedSystem system;
    EXPECT_EQ(AddPlayTask(L"Play", kTargetOfLongestFolder.c_str()), S_OK);
    ASSERT_EQ(system.SavedLinks().size(), 1u);
    EXPECT_EQ(system.SavedLinks()[0].workingDirectory,
              L"C:\\Work\\" + std::wstring(250, L'd') + L"\\");
    EXPECT_TRUE(system.AccountsBalance());
}

TEST(CreateGameTask, WorkingFolderTooLongForAShortcutIsRefusedBeforeAnythingIsSaved) {
    ScriptedSystem system;
    EXPECT_EQ(AddPlayTask(L"Play", kTargetOfTooLongFolder.c_str()),
              HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_TRUE(system.SavedLinks().empty());
    EXPECT_TRUE(system.AccountsBalance());
}

struct UnknownFullPathCase {
    const char* name;
    std::wstring target;
    std::optional<DWORD> fullPathResult;
};

const UnknownFullPathCase kUnknownFullPathCases[] = {
    {"GetFullPathNameFails", L"C:\\Games\\Demo\\demo.exe", 0},
    {"NeverFitsTheBuffer", L"C:\\Games\\Demo\\demo.exe", 512},
};

class CreateGameTaskUnknownFullPath : public testing::TestWithParam<UnknownFullPathCase> {};

TEST_P(CreateGameTaskUnknownFullPath, SetsNoWorkingFolderButWritesTheShortcut) {
    const UnknownFullPathCase& c = GetParam();
    ScriptedSystem system;
    system.script.fullPathResult = c.fullPathResult;
    EXPECT_EQ(AddPlayTask(L"Play", c.target.c_str()), S_OK);
    EXPECT_FALSE(system.Called("IShellLinkW::SetWorkingDirectory"));
    ASSERT_EQ(system.SavedLinks().size(), 1u);
    EXPECT_EQ(system.SavedLinks()[0].target, c.target);
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateGameTaskUnknownFullPath,
                         testing::ValuesIn(kUnknownFullPathCases),
                         [](const auto& p) { return std::string(p.param.name); });

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Each platform call in turn fails. The folder query, the link object, its setters, its file
// interface and Save stop the shortcut, and then their failure is returned; the others (the
// folder creation, COM initialisation, the full path) still leave a written shortcut.
TEST(CreateGameTask, FaultInjectionSweep) {
    int calls = 0;
    {
        ScriptedSystem clean;
        ASSERT_EQ(AddPlayTask(L"Play", L"C:\\Games\\Demo\\demo.exe", L"-windowed"), S_OK);
        calls = clean.CallCount();
    }
    ASSERT_EQ(calls, 10);
    for (int n = 1; n <= calls; ++n) {
        SCOPED_TRACE("failing call " + std::to_string(n));
        ScriptedSystem system;
        system.FailCall(n);
        const HRESULT result = AddPlayTask(L"Play", L"C:\\Games\\Demo\\demo.exe", L"-windowed");
        ASSERT_TRUE(system.InjectedFailureHappened());
        const std::string& failed = system.InjectedCall();
        SCOPED_TRACE(failed);
        const bool folderRefused = StartsWith(failed, "SHCreateDirectoryExW");
        const bool stopsTheShortcut = StartsWith(failed, "SHGetFolderPathW") ||
                                      StartsWith(failed, "CoCreateInstance") ||
                                      StartsWith(failed, "IShellLinkW::Set") ||
                                      StartsWith(failed, "IShellLinkW::QueryInterface") ||
                                      StartsWith(failed, "IPersistFile::Save");
        EXPECT_EQ(result, folderRefused ? kInjectedFolderError : stopsTheShortcut ? E_FAIL : S_OK);
        EXPECT_EQ(system.SavedLinks().size(), stopsTheShortcut || folderRefused ? 0u : 1u);
        if (StartsWith(failed, "GetFullPathNameW")) {
            EXPECT_FALSE(system.Called("IShellLinkW::SetWorkingDirectory"));
        }
        EXPECT_TRUE(system.AccountsBalance());
    }
}

// ---- RemoveGameTasks -------------------------------------------------------------------------

void BothTreesExist(SystemScript& script) {
    script.fileAttributes[kLocalTreeWide] = FILE_ATTRIBUTE_DIRECTORY;
    script.fileAttributes[kCommonTreeWide] = FILE_ATTRIBUTE_DIRECTORY;
}

TEST(RemoveGameTasks, NoTaskFoldersIsSuccessAndDeletesNothing) {
    ScriptedSystem system;
    EXPECT_EQ(RemoveGameTasks(kGameId), S_OK);
    EXPECT_EQ(system.Calls(),
              (Calls{"SHGetFolderPathW 0x1c 0", "SHGetFolderPathW 0x23 0",
                     "GetFileAttributesW " + kLocalTree, "GetFileAttributesW " + kCommonTree}));
    EXPECT_TRUE(system.AccountsBalance());
}

// The local path is the longer one, so a list that is not cleared between the two deletions
// would hand the shell a remnant of it as a second path.
TEST(RemoveGameTasks, DeletesEachTreeAloneWithoutDialogsLocalFirst) {
    ScriptedSystem system;
    BothTreesExist(system.script);
    EXPECT_EQ(RemoveGameTasks(kGameId), S_OK);
    EXPECT_EQ(system.Calls(),
              (Calls{"SHGetFolderPathW 0x1c 0", "SHGetFolderPathW 0x23 0",
                     "GetFileAttributesW " + kLocalTree, DeletionOf(kLocalTree),
                     "GetFileAttributesW " + kCommonTree, DeletionOf(kCommonTree)}));
    EXPECT_TRUE(system.AccountsBalance());
}

TEST(RemoveGameTasks, DeletesOnlyTheTreeThatExists) {
    ScriptedSystem system;
    system.script.fileOperation = ERROR_FILE_NOT_FOUND;
    system.script.fileOperationFor[kCommonTreeWide] = 0;
    system.script.fileAttributes[kCommonTreeWide] = FILE_ATTRIBUTE_DIRECTORY;
    EXPECT_EQ(RemoveGameTasks(kGameId), S_OK);
    EXPECT_EQ(system.CallsStartingWith("SHFileOperationW"), Calls{DeletionOf(kCommonTree)});
    EXPECT_TRUE(system.AccountsBalance());
}

TEST(RemoveGameTasks, TreeWhoseExistenceCannotBeToldIsAFailureNotNothingToDelete) {
    for (const auto& [error, result] :
         {std::pair{ERROR_PATH_NOT_FOUND, S_OK}, std::pair{ERROR_ACCESS_DENIED, E_ACCESSDENIED}}) {
        ScriptedSystem system;
        system.script.missingFileError = static_cast<DWORD>(error);
        EXPECT_EQ(RemoveGameTasks(kGameId), result) << error;
        EXPECT_FALSE(system.Called("SHFileOperationW"));
    }
}

TEST(RemoveScopeTasks, RemovesBothKindsOfTheScopesTreeOnly) {
    ScriptedSystem system;
    BothTreesExist(system.script);
    system.script.fileAttributes[kLocalTreeWide + L"\\PlayTasks"] = FILE_ATTRIBUTE_DIRECTORY;
    system.script.fileAttributes[kLocalTreeWide + L"\\SupportTasks"] = FILE_ATTRIBUTE_DIRECTORY;
    EXPECT_EQ(RemoveScopeTasks(GIS_CURRENT_USER, kGameId), S_OK);
    EXPECT_EQ(
        system.CallsStartingWith("SHFileOperationW"),
        (Calls{DeletionOf(kLocalTree + "\\PlayTasks"), DeletionOf(kLocalTree + "\\SupportTasks")}));
    EXPECT_TRUE(system.AccountsBalance());
}

struct FolderQueryFailureCase {
    const char* name;
    HRESULT local;
    HRESULT common;
    HRESULT result;
};

const FolderQueryFailureCase kFolderQueryFailureCases[] = {
    {"LocalFails", E_ACCESSDENIED, S_OK, E_ACCESSDENIED},
    {"CommonFails", S_OK, E_OUTOFMEMORY, E_OUTOFMEMORY},
    {"BothFailFirstIsReported", E_ACCESSDENIED, E_OUTOFMEMORY, E_ACCESSDENIED},
};

class RemoveGameTasksFolderQueryFailure : public testing::TestWithParam<FolderQueryFailureCase> {};

TEST_P(RemoveGameTasksFolderQueryFailure, DeletesNothing) {
    const FolderQueryFailureCase& c = GetParam();
    ScriptedSystem system;
    BothTreesExist(system.script);
    system.script.localAppDataResult = c.local;
    system.script.commonAppDataResult = c.common;
    EXPECT_EQ(RemoveGameTasks(kGameId), c.result);
    EXPECT_FALSE(system.Called("GetFileAttributesW"));
    EXPECT_FALSE(system.Called("SHFileOperationW"));
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, RemoveGameTasksFolderQueryFailure,
                         testing::ValuesIn(kFolderQueryFailureCases),
                         [](const auto& p) { return std::string(p.param.name); });

constexpr int kShellInvalidFiles = 0x7C;  // one of the shell's own codes, no Win32 error
constexpr int kShellUnknownError = 0x402;
constexpr int kShellErrorOnDestination = 0x10000;

struct DeletionFailureCase {
    const char* name;
    int localCode;
    int commonCode;
    HRESULT result;
};

const DeletionFailureCase kDeletionFailureCases[] = {
    {"LocalAccessDenied", ERROR_ACCESS_DENIED, 0, E_ACCESSDENIED},
    {"CommonPathNotFound", 0, ERROR_PATH_NOT_FOUND, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)},
    {"BothFailFirstIsReported", ERROR_ACCESS_DENIED, kShellInvalidFiles, E_ACCESSDENIED},
    // The shell's own codes with a Win32 error of the same meaning are reported as it.
    {"ShellInvalidPathIsABadPathName", kShellInvalidFiles, 0, HRESULT_FROM_WIN32(161)},
    {"ShellUnknownErrorIsAGeneralFailure", 0, kShellUnknownError, E_FAIL},
    {"ShellDestinationErrorIsAGeneralFailure", kShellErrorOnDestination, 0, E_FAIL},
};

class RemoveGameTasksDeletionFailure : public testing::TestWithParam<DeletionFailureCase> {};

TEST_P(RemoveGameTasksDeletionFailure, IsReportedAfterBothTreesWereAttempted) {
    const DeletionFailureCase& c = GetParam();
    ScriptedSystem system;
    BothTreesExist(system.script);
    system.script.fileOperationFor[kLocalTreeWide] = c.localCode;
    system.script.fileOperationFor[kCommonTreeWide] = c.commonCode;
    EXPECT_EQ(RemoveGameTasks(kGameId), c.result);
    EXPECT_EQ(system.CallsStartingWith("SHFileOperationW"),
              (Calls{DeletionOf(kLocalTree), DeletionOf(kCommonTree)}));
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, RemoveGameTasksDeletionFailure,
                         testing::ValuesIn(kDeletionFailureCases),
                         [](const auto& p) { return std::string(p.param.name); });

// Each platform call in turn fails: a folder query stops everything; a failed existence check
// or deletion is reported, and the other tree is still deleted.
TEST(RemoveGameTasks, FaultInjectionSweep) {
    int calls = 0;
    {
        ScriptedSystem clean;
        BothTreesExist(clean.script);
        ASSERT_EQ(RemoveGameTasks(kGameId), S_OK);
        calls = clean.CallCount();
    }
    ASSERT_EQ(calls, 6);
    for (int n = 1; n <= calls; ++n) {
        SCOPED_TRACE("failing call " + std::to_string(n));
        ScriptedSystem system;
        BothTreesExist(system.script);
        system.FailCall(n);
        const HRESULT result = RemoveGameTasks(kGameId);
        ASSERT_TRUE(system.InjectedFailureHappened());
        const std::string& failed = system.InjectedCall();
        SCOPED_TRACE(failed);
        const std::size_t deletions = system.CallsStartingWith("SHFileOperationW").size();
        if (StartsWith(failed, "SHGetFolderPathW")) {
            EXPECT_EQ(result, E_FAIL);
            EXPECT_EQ(deletions, 0u);
        } else if (StartsWith(failed, "GetFileAttributesW")) {
            EXPECT_EQ(result, E_ACCESSDENIED);
            EXPECT_EQ(deletions, 1u);
        } else {
            EXPECT_EQ(result, E_ACCESSDENIED);
            EXPECT_EQ(deletions, 2u);
        }
        EXPECT_TRUE(system.AccountsBalance());
    }
}

}  // namespace
