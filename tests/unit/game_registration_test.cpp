#include "registration/game_registration.h"
#include "registration/game_identity.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "support/scripted_system.h"

namespace {

using testing::ElementsAre;
using testing::EndsWith;
using testing::IsEmpty;

constexpr GUID kGivenGuid = {
    0x9D1C4C2B, 0x5E27, 0x4B3A, {0x8F, 0x61, 0x2C, 0x0D, 0x7A, 0x93, 0xE4, 0x15}};
constexpr GUID kAssignedGuid = {
    0x0A1B2C3D, 0x4E5F, 0x6071, {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}};
constexpr const wchar_t* kExe = L"C:\\Games\\Demo\\demo.exe";
constexpr const wchar_t* kDir = L"C:\\Games\\Demo";
constexpr const wchar_t* kCurrentUserParent =
    L"HKCU\\Software\\Classes\\Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\"
    L"GamesToFindOnWindowsUpgrade";
constexpr const wchar_t* kAllUsersParent =
    L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\GamesToFindOnWindowsUpgrade";

std::wstring Braced(const GUID& guid) {
    wchar_t text[CHARS_IN_GUID] = {};
    StringFromGUID2(guid, text, CHARS_IN_GUID);
    return text;
}

// The double keeps its key paths in lower case.
std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
    }
    return text;
}

std::vector<BYTE> StoredBytes(const std::wstring& text) {
    const auto* data = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(data, data + (text.size() + 1) * sizeof(wchar_t));
}

class RegistrationTest : public testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(system.AccountsBalance()); }

    // Makes the Game Explorer object absent, so that the upgrade keys are used.
    void WithoutGameExplorer() { system.script.createGameExplorer = REGDB_E_CLASSNOTREG; }

    ScriptedSystem system;
};

// ---- Game Explorer path ------------------------------------------------------------------------

TEST_F(RegistrationTest, RegisterGame_AddsThroughGameExplorerAndKeepsItsGuid) {
    system.script.addGameLeaves = kAssignedGuid;
    GUID gameId = GUID_NULL;
    EXPECT_EQ(RegisterGame(kExe, kDir, GIS_ALL_USERS, &gameId), S_OK);
    EXPECT_EQ(LogGuid(gameId), LogGuid(kAssignedGuid));
    EXPECT_THAT(system.CallsStartingWith("IGameExplorer::"),
                ElementsAre("IGameExplorer::VerifyAccess C:\\Games\\Demo\\demo.exe 0",
                            "IGameExplorer::AddGame C:\\Games\\Demo\\demo.exe C:\\Games\\Demo 3 "
                            "{00000000-0000-0000-0000-000000000000}"));
}

// Wine's Game Explorer ends the process on a path this long: neither it nor the upgrade keys
// are asked.
TEST_F(RegistrationTest, RegisterGame_PathOfMaxPathCharactersIsRefusedBeforeAnyCall) {
    for (bool withExplorer : {true, false}) {
        ScriptedSystem fresh;
        if (!withExplorer) {
            fresh.script.createGameExplorer = REGDB_E_CLASSNOTREG;
        }
        const std::wstring longest = L"C:\\" + std::wstring(MAX_PATH - 4, L'a');
        const std::wstring tooLong = longest + L"a";
        GUID gameId = kGivenGuid;
        EXPECT_EQ(RegisterGame(tooLong.c_str(), kDir, GIS_ALL_USERS, &gameId),
                  HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
        EXPECT_EQ(fresh.CallCount(), 0);
        EXPECT_EQ(RegisterGame(longest.c_str(), kDir, GIS_ALL_USERS, &gameId), S_OK);
    }
}

TEST_F(RegistrationTest, RegisterGame_PassesCurrentUserScopeAndGivenGuidUnchanged) {
    GUID gameId = kGivenGuid;
    EXPECT_EQ(RegisterGame(kExe, L"", GIS_CURRENT_USER, &gameId), S_OK);
    EXPECT_THAT(
        system.CallsStartingWith("IGameExplorer::AddGame"),
        ElementsAre("IGameExplorer::AddGame C:\\Games\\Demo\\demo.exe  2 " + LogGuid(kGivenGuid)));
}

struct ExplorerCase {
    const char* name;
    HRESULT verifyAccess;
    BOOL hasAccess;
    HRESULT addGame;
    bool added;
    HRESULT result;
};

const ExplorerCase kExplorerCases[] = {
    {"VerifyAccessFails", static_cast<HRESULT>(0x80070020), TRUE, S_OK, false,
     static_cast<HRESULT>(0x80070020)},
    {"AccessDenied", S_OK, FALSE, S_OK, false, E_ACCESSDENIED},
    {"AccessGrantedWithSuccessCode", S_FALSE, TRUE, S_OK, true, S_OK},
    {"AddGameFails", S_OK, TRUE, static_cast<HRESULT>(0x800704C7), true,
     static_cast<HRESULT>(0x800704C7)},
};

class RegisterThroughExplorerTest : public RegistrationTest,
                                    public testing::WithParamInterface<ExplorerCase> {};

TEST_P(RegisterThroughExplorerTest, ResultFollowsVerifyAccessAndAddGameAndRegistryStaysUntouched) {
    const ExplorerCase& c = GetParam();
    // A sound binary, so that Game Explorer's own failure is the one told.
    system.script.fileAttributes[kExe] = FILE_ATTRIBUTE_ARCHIVE;
    system.script.verifyAccess = c.verifyAccess;
    system.script.hasAccess = c.hasAccess;
    system.script.addGame = c.addGame;
    GUID gameId = GUID_NULL;
    EXPECT_EQ(RegisterGame(kExe, kDir, GIS_ALL_USERS, &gameId), c.result);
    EXPECT_EQ(system.Called("IGameExplorer::AddGame"), c.added);
    EXPECT_FALSE(system.Called("RegCreateKeyExW"));
    EXPECT_THAT(system.Registry(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RegisterThroughExplorerTest, testing::ValuesIn(kExplorerCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(RegistrationTest, RegisterGame_NullArgumentIsInvalidAndTouchesNothing) {
    GUID gameId = GUID_NULL;
    EXPECT_EQ(RegisterGame(nullptr, kDir, GIS_ALL_USERS, &gameId), E_INVALIDARG);
    EXPECT_EQ(RegisterGame(kExe, nullptr, GIS_ALL_USERS, &gameId), E_INVALIDARG);
    EXPECT_EQ(RegisterGame(kExe, kDir, GIS_ALL_USERS, nullptr), E_INVALIDARG);
    EXPECT_EQ(RegisterGame(L"", kDir, GIS_ALL_USERS, &gameId), E_INVALIDARG);
    EXPECT_THAT(system.Calls(), IsEmpty());
}

TEST(RegistrationTextCopies, RegisterGame_FailedTextCopyIsOutOfMemoryBeforeComIsTouched) {
    for (int failing : {1, 2}) {
        SCOPED_TRACE(failing);
        ScriptedSystem fresh;
        fresh.FailCall(failing);
        GUID gameId = GUID_NULL;
        EXPECT_EQ(RegisterGame(kExe, kDir, GIS_ALL_USERS, &gameId), E_OUTOFMEMORY);
        EXPECT_EQ(fresh.CallsStartingWith("SysAllocString").size(), 2u);
        EXPECT_FALSE(fresh.Called("CoInitialize"));
        EXPECT_TRUE(fresh.AccountsBalance());
    }
}

// ---- Upgrade registry keys ---------------------------------------------------------------------

struct UpgradeCase {
    const char* name;
    int scope;
    GUID given;
    const wchar_t* parent;
    GUID named;  // the GUID that names the game's key and is left in gameId
};

const UpgradeCase kUpgradeCases[] = {
    {"CurrentUserNewGuid", GIS_CURRENT_USER, GUID_NULL, kCurrentUserParent,
     SystemScript().createdGuid},
    {"AllUsersGivenGuid", GIS_ALL_USERS, kGivenGuid, kAllUsersParent, kGivenGuid},
    {"OtherScopeMeansAllUsers", 7, kGivenGuid, kAllUsersParent, kGivenGuid},
};

class RegisterForUpgradeTest : public RegistrationTest,
                               public testing::WithParamInterface<UpgradeCase> {};

TEST_P(RegisterForUpgradeTest, WritesBothValuesUnderTheGameKeyOfItsScope) {
    const UpgradeCase& c = GetParam();
    WithoutGameExplorer();
    GUID gameId = c.given;
    EXPECT_EQ(RegisterGame(kExe, kDir, c.scope, &gameId), S_OK);
    EXPECT_EQ(LogGuid(gameId), LogGuid(c.named));
    EXPECT_EQ(system.Called("CoCreateGuid"), IsEqualGUID(c.given, GUID_NULL) != 0);

    const std::wstring parent = c.parent;
    const std::wstring gameKey = parent + L"\\" + Braced(c.named);
    const std::string rootName = parent.substr(0, 4) == L"HKCU" ? "HKCU " : "HKLM ";
    EXPECT_EQ(system.CallsStartingWith("RegCreateKeyExW").at(0),
              "RegCreateKeyExW " + rootName + LogText(parent.substr(5).c_str()) + " 0x20106");
    // KEY_WRITE in the 64-bit view, where the system looks, also from a 32-bit build.
    EXPECT_THAT(system.CallsStartingWith("RegCreateKeyExW").at(1),
                EndsWith(" " + LogGuid(c.named) + " 0x20106"));
    const std::string byteCount = std::to_string((std::wcslen(kExe) + 1) * sizeof(wchar_t));
    EXPECT_THAT(
        system.CallsStartingWith("RegSetValueExW"),
        ElementsAre(EndsWith(" GDFBinaryPath 1 " + byteCount + " C:\\Games\\Demo\\demo.exe"),
                    EndsWith(" GameInstallPath 1 " +
                             std::to_string((std::wcslen(kDir) + 1) * sizeof(wchar_t)) +
                             " C:\\Games\\Demo")));
    ASSERT_EQ(system.Registry().count(Lower(gameKey)), 1u);
    const ScriptedSystem::Values& values = system.Registry()[Lower(gameKey)];
    EXPECT_EQ(values.size(), 2u);
    EXPECT_EQ(values.at(L"GDFBinaryPath"), StoredBytes(kExe));
    EXPECT_EQ(values.at(L"GameInstallPath"), StoredBytes(kDir));
}

INSTANTIATE_TEST_SUITE_P(Cases, RegisterForUpgradeTest, testing::ValuesIn(kUpgradeCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(RegistrationTest, RegisterGame_StoresTextsWholeWhateverTheirLength) {
    WithoutGameExplorer();
    for (std::size_t length : {0u, 259u, 260u, 1000u}) {
        SCOPED_TRACE(length);
        const std::wstring text(length, L'x');
        // The game's path itself is shorter than MAX_PATH, or it is refused.
        const std::wstring executable = L"C:\\" + text.substr(0, MAX_PATH - 4);
        GUID gameId = kGivenGuid;
        EXPECT_EQ(RegisterGame(executable.c_str(), text.c_str(), GIS_ALL_USERS, &gameId), S_OK);
        const std::wstring gameKey = std::wstring(kAllUsersParent) + L"\\" + Braced(kGivenGuid);
        const ScriptedSystem::Values& values = system.Registry()[Lower(gameKey)];
        EXPECT_EQ(values.at(L"GDFBinaryPath"), StoredBytes(executable));
        EXPECT_EQ(values.at(L"GameInstallPath"), StoredBytes(text));
    }
}

TEST_F(RegistrationTest, RegisterGame_AgainOverwritesBothValuesAndKeepsOthers) {
    WithoutGameExplorer();
    GUID gameId = kGivenGuid;
    ASSERT_EQ(RegisterGame(L"C:\\Old\\old.exe", L"C:\\Old", GIS_CURRENT_USER, &gameId), S_OK);
    const std::wstring gameKey = std::wstring(kCurrentUserParent) + L"\\" + Braced(kGivenGuid);
    system.Registry()[Lower(gameKey)][L"Other"] = StoredBytes(L"kept");
    ASSERT_EQ(RegisterGame(kExe, kDir, GIS_CURRENT_USER, &gameId), S_OK);
    EXPECT_EQ(system.RegistryText(gameKey, L"GDFBinaryPath"), kExe);
    EXPECT_EQ(system.RegistryText(gameKey, L"GameInstallPath"), kDir);
    EXPECT_EQ(system.RegistryText(gameKey, L"Other"), L"kept");
}

// The key that could not be written is why the game was not added, not Game Explorer's absence.
TEST_F(RegistrationTest, RegisterGame_ParentKeyRefusedIsTheRegistrysFailureAndKeepsGuidNull) {
    WithoutGameExplorer();
    system.script.regCreateKey = ERROR_ACCESS_DENIED;
    GUID gameId = GUID_NULL;
    EXPECT_EQ(RegisterGame(kExe, kDir, GIS_ALL_USERS, &gameId), E_ACCESSDENIED);
    EXPECT_EQ(LogGuid(gameId), LogGuid(GUID_NULL));
    EXPECT_FALSE(system.Called("CoCreateGuid"));
    EXPECT_FALSE(system.Called("RegSetValueExW"));
}

TEST_F(RegistrationTest, RegisterGame_GameKeyOrValueRefusedIsTheRegistrysFailure) {
    WithoutGameExplorer();
    system.script.regCreateKey = ERROR_ACCESS_DENIED;
    system.script.regCreateKeyFailsFor = Braced(kGivenGuid);
    GUID gameId = kGivenGuid;
    EXPECT_EQ(RegisterGame(kExe, kDir, GIS_ALL_USERS, &gameId), E_ACCESSDENIED);
    EXPECT_EQ(system.CallsStartingWith("RegCreateKeyExW").size(), 2u);
    EXPECT_FALSE(system.Called("RegSetValueExW"));

    system.script.regCreateKey = ERROR_SUCCESS;
    system.script.regSetValue = ERROR_NOT_ENOUGH_MEMORY;
    EXPECT_EQ(RegisterGame(kExe, kDir, GIS_ALL_USERS, &gameId),
              HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(system.CallsStartingWith("RegSetValueExW").size(), 1u);
}

TEST_F(RegistrationTest, RegisterGame_FailedNewGuidIsReturnedAndNothingWrittenUnderGuidNull) {
    WithoutGameExplorer();
    system.script.coCreateGuid = HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY);
    GUID gameId = GUID_NULL;
    EXPECT_EQ(RegisterGame(kExe, kDir, GIS_CURRENT_USER, &gameId), system.script.coCreateGuid);
    EXPECT_EQ(LogGuid(gameId), LogGuid(GUID_NULL));
    EXPECT_EQ(system.CallsStartingWith("RegCreateKeyExW").size(), 1u);
    EXPECT_FALSE(system.Called("RegSetValueExW"));
    EXPECT_TRUE(system.Called("RegCloseKey"));
}

// ---- Removal -----------------------------------------------------------------------------------

// Every place the lookup by path reads, for one GUID: Game Explorer's records of the current user
// and of all users, and the upgrade keys of both hives.
const std::wstring kGameUx = L"hklm\\software\\microsoft\\windows\\currentversion\\gameux\\";
const std::wstring kUserRecord = kGameUx + L"s-1-5-21-1-2-3-1001\\";
const std::wstring kAllUsersRecord = kGameUx + L"games\\";

struct RemovalCase {
    const char* name;
    bool gameExplorer;
    HRESULT removeGame;
    std::vector<std::wstring> parents;  // where kGivenGuid has a key before
    HRESULT result;
    std::vector<std::wstring> left;  // where it has one after
};

const RemovalCase kRemovalCases[] = {
    {"GameExplorerRemovesItsRecords", true, S_OK, {kAllUsersRecord, kUserRecord}, S_OK, {}},
    {"GameExplorerDoesNotKnowTheGuid",
     true,
     HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
     {},
     S_FALSE,
     {}},
    {"UpgradeKeysGoAlsoWithGameExplorer",
     true,
     HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
     {Lower(kCurrentUserParent) + L"\\", Lower(kAllUsersParent) + L"\\"},
     S_OK,
     {}},
    {"GameExplorersFailureStays", true, E_ACCESSDENIED, {}, E_ACCESSDENIED, {}},
    {"WithoutGameExplorerItsDeadRecordsGo",
     false,
     S_OK,
     {kUserRecord, kAllUsersRecord, Lower(kAllUsersParent) + L"\\"},
     S_OK,
     {}},
    {"WithoutGameExplorerNothingThere", false, S_OK, {}, S_FALSE, {}},
};

class UnregisterGameRemovesEveryPlace : public testing::TestWithParam<RemovalCase> {};

TEST_P(UnregisterGameRemovesEveryPlace, AndSaysWhetherAnythingWasThere) {
    const RemovalCase& c = GetParam();
    ScriptedSystem system;
    system.script.removeGame = c.removeGame;
    if (!c.gameExplorer) {
        system.script.createGameExplorer = REGDB_E_CLASSNOTREG;
    }
    const std::wstring braced = Lower(Braced(kGivenGuid));
    const std::wstring otherGame = L"{00000000-0000-0000-0000-00000000000b}";
    for (const std::wstring& parent : c.parents) {
        system.Registry()[parent + braced];
        system.Registry()[parent + otherGame];
    }
    EXPECT_EQ(RemoveEveryRegistration(kGivenGuid), c.result);
    for (const std::wstring& parent : c.parents) {
        const bool left = std::find(c.left.begin(), c.left.end(), parent) != c.left.end();
        EXPECT_EQ(system.Registry().count(parent + braced), left ? 1u : 0u)
            << LogText(parent.c_str());
        EXPECT_EQ(system.Registry().count(parent + otherGame), 1u) << LogText(parent.c_str());
    }
    EXPECT_EQ(system.Called("IGameExplorer::RemoveGame"), c.gameExplorer);
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, UnregisterGameRemovesEveryPlace, testing::ValuesIn(kRemovalCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(RegistrationTest,
       RemoveEveryRegistration_KeyThatCannotBeDeletedFailsAfterBothWereAttempted) {
    WithoutGameExplorer();
    GUID gameId = kGivenGuid;
    ASSERT_EQ(RegisterGame(kExe, kDir, GIS_CURRENT_USER, &gameId), S_OK);
    ASSERT_EQ(RegisterGame(kExe, kDir, GIS_ALL_USERS, &gameId), S_OK);
    system.script.regDeleteTree = ERROR_ACCESS_DENIED;
    EXPECT_EQ(RemoveEveryRegistration(kGivenGuid), E_ACCESSDENIED);
    EXPECT_EQ(system.CallsStartingWith("RegDeleteTreeW").size(), 2u);
}

// ---- COM initialisation ------------------------------------------------------------------------

TEST(RegistrationComInitialization, UninitialisesOnlyAfterItsOwnSuccess) {
    const struct {
        HRESULT coInitialize;
        std::size_t uninitialisations;
    } cases[] = {{S_OK, 1}, {S_FALSE, 1}, {E_FAIL, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.coInitialize);
        for (bool registering : {true, false}) {
            ScriptedSystem system;
            system.script.coInitialize = c.coInitialize;
            GUID gameId = GUID_NULL;
            registering ? RegisterGame(kExe, kDir, GIS_ALL_USERS, &gameId)
                        : RemoveEveryRegistration(kGivenGuid);
            EXPECT_EQ(system.CallsStartingWith("CoUninitialize").size(), c.uninitialisations);
            // Uninitialising comes after every object is released.
            if (c.uninitialisations != 0) {
                EXPECT_GT(system.IndexOf("CoUninitialize"), system.IndexOf("Release"));
            }
            EXPECT_TRUE(system.AccountsBalance());
        }
    }
}

// ---- Fault injection ---------------------------------------------------------------------------

// Makes each platform call of a clean run fail in turn: every run must end in a failure or in the
// documented success, with everything released.
template <typename Setup, typename Operation>
void SweepFailures(Setup setup, Operation operation) {
    int callCount = 0;
    {
        ScriptedSystem clean;
        setup(clean.script);
        ASSERT_TRUE(SUCCEEDED(operation()));
        callCount = clean.CallCount();
    }
    for (int n = 1; n <= callCount; ++n) {
        SCOPED_TRACE(n);
        ScriptedSystem system;
        setup(system.script);
        system.FailCall(n);
        const HRESULT result = operation();
        EXPECT_TRUE(system.InjectedFailureHappened());
        EXPECT_TRUE(FAILED(result) || result == S_OK || result == S_FALSE) << result;
        EXPECT_TRUE(system.AccountsBalance());
    }
}

TEST(RegistrationFaultInjection, EveryFailingCallLeavesAccountsBalanced) {
    const auto withExplorer = [](SystemScript&) {};
    const auto withoutExplorer = [](SystemScript& s) {
        s.createGameExplorer = REGDB_E_CLASSNOTREG;
    };
    const auto registerNew = [] {
        GUID gameId = GUID_NULL;
        return RegisterGame(kExe, kDir, GIS_CURRENT_USER, &gameId);
    };
    const auto unregister = [] { return RemoveEveryRegistration(kGivenGuid); };
    SweepFailures(withExplorer, registerNew);
    SweepFailures(withoutExplorer, registerNew);
    SweepFailures(withExplorer, unregister);
    SweepFailures(withoutExplorer, unregister);
}

}  // namespace
