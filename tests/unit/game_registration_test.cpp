#include "registration/game_registration.h"
#include "registration/game_identity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "registration/guid_text.h"
#include "support/faulting_system.h"

namespace {

constexpr GUID kGivenGuid = {
    0x9D1C4C2B, 0x5E27, 0x4B3A, {0x8F, 0x61, 0x2C, 0x0D, 0x7A, 0x93, 0xE4, 0x15}};
constexpr GUID kOtherGuid = {
    0x0A1B2C3D, 0x4E5F, 0x6071, {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}};
constexpr const wchar_t* kExe = L"C:\\Games\\Demo\\demo.exe";
constexpr const wchar_t* kDir = L"C:\\Games\\Demo";

// A place where a game's key is kept, below root, and the values of its path and folder.
struct Place {
    HKEY root;
    std::wstring parent;
    const wchar_t* pathValue;
    const wchar_t* directoryValue;

    std::wstring GameKey(const GUID& game) const { return parent + L"\\" + BracedGuid(game); }
};

const std::wstring kRecords = kGameExplorerRecordsKey;
const Place kUserRecords{HKEY_LOCAL_MACHINE, kRecords + L"\\" + FaultingSystem::kUserSid,
                         kRecordBinaryPathValue, kRecordInstallDirectoryValue};
const Place kAllUsersRecords{HKEY_LOCAL_MACHINE, kRecords + L"\\" + kAllUsersRecordsName,
                             kRecordBinaryPathValue, kRecordInstallDirectoryValue};
const Place kUserUpgrade{HKEY_CURRENT_USER, kCurrentUserUpgradeKey, kUpgradeBinaryPathValue,
                         kUpgradeInstallPathValue};
const Place kAllUsersUpgrade{HKEY_LOCAL_MACHINE, kAllUsersUpgradeKey, kUpgradeBinaryPathValue,
                             kUpgradeInstallPathValue};
const Place* const kPlaces[] = {&kUserRecords, &kAllUsersRecords, &kUserUpgrade, &kAllUsersUpgrade};

bool NoPlaceExists(FaultingSystem& system) {
    return std::none_of(std::begin(kPlaces), std::end(kPlaces), [&](const Place* place) {
        return system.KeyExists(place->root, place->parent);
    });
}

// The places where game has a key.
std::vector<const Place*> PlacesOf(FaultingSystem& system, const GUID& game) {
    std::vector<const Place*> places;
    for (const Place* place : kPlaces) {
        if (system.KeyExists(place->root, place->GameKey(game))) {
            places.push_back(place);
        }
    }
    return places;
}

// The text of a value of game's key, and that it is stored with its terminator.
testing::AssertionResult StoredText(FaultingSystem& system, const Place& place, const GUID& game,
                                    const wchar_t* value, const std::wstring& text) {
    if (system.RegistryText(place.root, place.GameKey(game), value) != text) {
        return testing::AssertionFailure() << LogText(value) << " is not the text expected";
    }
    HKEY key = nullptr;
    system.Underneath().RegOpenKeyExW(place.root, place.GameKey(game).c_str(), KEY_READ, &key);
    DWORD type = 0;
    DWORD byteCount = 0;
    system.Underneath().RegQueryValueExW(key, value, &type, nullptr, &byteCount);
    system.Underneath().RegCloseKey(key);
    if (byteCount != (text.size() + 1) * sizeof(wchar_t)) {
        return testing::AssertionFailure() << LogText(value) << " holds " << byteCount << " bytes";
    }
    return testing::AssertionSuccess();
}

class RegistrationTest : public testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(system.AccountsBalance()); }

    FaultingSystem system;
};

// ---- Adding ------------------------------------------------------------------------------------

struct AddCase {
    const char* name;
    bool gameExplorer;  // else the upgrade keys are written
    int scope;
    GUID given;
    const wchar_t* directory;
    const Place& place;  // the one place where the game is then kept
};

const AddCase kAddCases[] = {
    {"ExplorerAllUsers", true, GIS_ALL_USERS, kGivenGuid, kDir, kAllUsersRecords},
    {"ExplorerCurrentUserGivenGuid", true, GIS_CURRENT_USER, kGivenGuid, L"", kUserRecords},
    {"UpgradeCurrentUser", false, GIS_CURRENT_USER, kGivenGuid, kDir, kUserUpgrade},
    {"UpgradeAllUsersGivenGuid", false, GIS_ALL_USERS, kGivenGuid, kDir, kAllUsersUpgrade},
    {"UpgradeOtherScopeMeansAllUsers", false, 7, kGivenGuid, kDir, kAllUsersUpgrade},
};

class AddTest : public RegistrationTest, public testing::WithParamInterface<AddCase> {};

TEST_P(AddTest, KeepsTheGameInTheOnePlaceOfItsScopeUnderItsGuid) {
    const AddCase& c = GetParam();
    system.PutFile(kExe);
    if (!c.gameExplorer) {
        system.RemoveGameExplorer();
    }
    const GUID gameId = c.given;
    EXPECT_EQ(RegisterGame(kExe, c.directory, c.scope, gameId), S_OK);
    if (!IsEqualGUID(c.given, GUID_NULL)) {
        EXPECT_EQ(LogGuid(gameId), LogGuid(c.given));
    }
    EXPECT_EQ(PlacesOf(system, gameId), std::vector<const Place*>{&c.place});
    EXPECT_TRUE(StoredText(system, c.place, gameId, c.place.pathValue, kExe));
    EXPECT_TRUE(StoredText(system, c.place, gameId, c.place.directoryValue, c.directory));
}

INSTANTIATE_TEST_SUITE_P(Cases, AddTest, testing::ValuesIn(kAddCases),
                         [](const auto& p) { return std::string(p.param.name); });

// Game Explorer may grant access with a success code other than S_OK: the game is added.
TEST_F(RegistrationTest, AccessGrantedWithAnotherSuccessCodeIsAdded) {
    system.PutFile(kExe);
    system.Answer("IGameExplorer::VerifyAccess", S_FALSE);
    EXPECT_EQ(RegisterGame(kExe, kDir, GIS_ALL_USERS, kGivenGuid), S_OK);
    EXPECT_EQ(PlacesOf(system, kGivenGuid), std::vector<const Place*>{&kAllUsersRecords});
}

// A call that fails is why the game was not added; the GUID is left as it was given, and no
// place keeps the game's folder (written last).
struct AddFailureCase {
    const char* name;
    bool gameExplorer;
    const char* failing;  // the call made to fail
    long code;            // with this
    GUID given;
    HRESULT result;
};

const HRESULT kNoMemory = HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY);

const AddFailureCase kAddFailureCases[] = {
    {"VerifyAccessFails", true, "IGameExplorer::VerifyAccess", 0x80070020, kGivenGuid,
     static_cast<HRESULT>(0x80070020)},
    // A success that leaves the answer as the program set it: no access.
    {"AccessNotGranted", true, "IGameExplorer::VerifyAccess", S_OK, kGivenGuid, E_ACCESSDENIED},
    // A sound binary: Game Explorer's own failure is the one told.
    {"AddGameFails", true, "IGameExplorer::AddGame", 0x800704C7, kGivenGuid,
     static_cast<HRESULT>(0x800704C7)},
    {"ParentKeyRefused", false, "RegCreateKeyExW HKLM", ERROR_ACCESS_DENIED, kGivenGuid,
     E_ACCESSDENIED},
    {"GameKeyRefused", false, "RegCreateKeyExW key", ERROR_ACCESS_DENIED, kGivenGuid,
     E_ACCESSDENIED},
    {"PathRefused", false, "RegSetValueExW key GDFBinaryPath", ERROR_NOT_ENOUGH_MEMORY, kGivenGuid,
     kNoMemory},
    {"FolderRefused", false, "RegSetValueExW key GameInstallPath", ERROR_NOT_ENOUGH_MEMORY,
     kGivenGuid, kNoMemory},
};

class AddFailureTest : public RegistrationTest,
                       public testing::WithParamInterface<AddFailureCase> {};

TEST_P(AddFailureTest, IsTheResultAndNoPlaceKeepsTheGame) {
    const AddFailureCase& c = GetParam();
    system.PutFile(kExe);
    if (!c.gameExplorer) {
        system.RemoveGameExplorer();
    }
    system.Fail(c.failing, c.code);
    EXPECT_EQ(RegisterGame(kExe, kDir, GIS_ALL_USERS, c.given), c.result);
    for (const Place* place : kPlaces) {
        EXPECT_EQ(system.RegistryText(place->root, place->GameKey(c.given), place->directoryValue),
                  std::nullopt)
            << LogText(place->parent.c_str());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AddFailureTest, testing::ValuesIn(kAddFailureCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(RegistrationTest, RegisterGame_NullArgumentIsInvalidAndTouchesNothing) {
    EXPECT_EQ(RegisterGame(nullptr, kDir, GIS_ALL_USERS, kGivenGuid), E_INVALIDARG);
    EXPECT_EQ(RegisterGame(kExe, nullptr, GIS_ALL_USERS, kGivenGuid), E_INVALIDARG);
    EXPECT_EQ(RegisterGame(kExe, kDir, GIS_ALL_USERS, GUID_NULL), E_INVALIDARG);
    EXPECT_EQ(RegisterGame(L"", kDir, GIS_ALL_USERS, kGivenGuid), E_INVALIDARG);
    EXPECT_EQ(system.CallCount(), 0);
}

// Wine's Game Explorer ends the process on a path this long: neither it nor the upgrade keys
// are asked.
TEST(RegistrationPathLength, PathOfMaxPathCharactersIsRefusedBeforeAnyCall) {
    // 259 characters, in folders the host can hold.
    const std::wstring longest =
        L"C:\\Games\\" + std::wstring(200, L'a') + L"\\" + std::wstring(MAX_PATH - 211, L'b');
    for (bool withExplorer : {true, false}) {
        SCOPED_TRACE(withExplorer);
        FaultingSystem system;
        system.PutFile(longest);
        if (!withExplorer) {
            system.RemoveGameExplorer();
        }
        GUID gameId = kGivenGuid;
        EXPECT_EQ(RegisterGame((longest + L"b").c_str(), kDir, GIS_ALL_USERS, gameId),
                  HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
        EXPECT_EQ(system.CallCount(), 0);
        EXPECT_EQ(RegisterGame(longest.c_str(), kDir, GIS_ALL_USERS, gameId), S_OK);
        EXPECT_TRUE(system.AccountsBalance());
    }
}

// The texts are copied first: a copy that fails is out of memory, with nothing done.
TEST(RegistrationTextCopies, RegisterGame_FailedTextCopyIsOutOfMemoryBeforeComIsTouched) {
    for (int failing : {1, 2}) {
        SCOPED_TRACE(failing);
        FaultingSystem system;
        system.PutFile(kExe);
        system.FailCall(failing);
        EXPECT_EQ(RegisterGame(kExe, kDir, GIS_ALL_USERS, kGivenGuid), E_OUTOFMEMORY);
        EXPECT_TRUE(NoPlaceExists(system));
        EXPECT_TRUE(system.AccountsBalance());
    }
}

// ---- Upgrade registry keys ---------------------------------------------------------------------

TEST_F(RegistrationTest, RegisterGame_StoresTextsWholeWhateverTheirLength) {
    system.RemoveGameExplorer();
    for (std::size_t length : {0u, 259u, 260u, 1000u}) {
        SCOPED_TRACE(length);
        const std::wstring text(length, L'x');
        // The game's path itself is shorter than MAX_PATH, or it is refused.
        const std::wstring executable = L"C:\\" + text.substr(0, MAX_PATH - 4);
        GUID gameId = kGivenGuid;
        EXPECT_EQ(RegisterGame(executable.c_str(), text.c_str(), GIS_ALL_USERS, gameId), S_OK);
        EXPECT_TRUE(
            StoredText(system, kAllUsersUpgrade, gameId, kUpgradeBinaryPathValue, executable));
        EXPECT_TRUE(StoredText(system, kAllUsersUpgrade, gameId, kUpgradeInstallPathValue, text));
    }
}

TEST_F(RegistrationTest, RegisterGame_AgainOverwritesBothValuesAndKeepsOthers) {
    system.RemoveGameExplorer();
    GUID gameId = kGivenGuid;
    ASSERT_EQ(RegisterGame(L"C:\\Old\\old.exe", L"C:\\Old", GIS_CURRENT_USER, gameId), S_OK);
    const std::wstring gameKey = kUserUpgrade.GameKey(kGivenGuid);
    system.SetRegistryText(HKEY_CURRENT_USER, gameKey, L"Other", L"kept");
    ASSERT_EQ(RegisterGame(kExe, kDir, GIS_CURRENT_USER, gameId), S_OK);
    EXPECT_EQ(system.RegistryText(HKEY_CURRENT_USER, gameKey, kUpgradeBinaryPathValue), kExe);
    EXPECT_EQ(system.RegistryText(HKEY_CURRENT_USER, gameKey, kUpgradeInstallPathValue), kDir);
    EXPECT_EQ(system.RegistryText(HKEY_CURRENT_USER, gameKey, L"Other"), L"kept");
}

// ---- Removal -----------------------------------------------------------------------------------

struct RemovalCase {
    const char* name;
    bool gameExplorer;
    std::vector<Place> places;  // where kGivenGuid has a key before, beside another game's
    HRESULT result;
    const char* failing = nullptr;  // a call made to fail, which leaves the keys there
};

const RemovalCase kRemovalCases[] = {
    {"GameExplorerRemovesItsRecords", true, {kAllUsersRecords, kUserRecords}, S_OK},
    {"GameExplorerDoesNotKnowTheGuid", true, {}, S_FALSE},
    {"UpgradeKeysGoAlsoWithGameExplorer", true, {kUserUpgrade, kAllUsersUpgrade}, S_OK},
    // Its records are Game Explorer's to remove, not the program's.
    {"GameExplorersFailureStays",
     true,
     {kAllUsersRecords, kUserRecords},
     E_ACCESSDENIED,
     "IGameExplorer::RemoveGame"},
    {"WithoutGameExplorerItsDeadRecordsGo",
     false,
     {kUserRecords, kAllUsersRecords, kAllUsersUpgrade},
     S_OK},
    {"WithoutGameExplorerNothingThere", false, {}, S_FALSE},
};

class UnregisterGameRemovesEveryPlace : public testing::TestWithParam<RemovalCase> {};

TEST_P(UnregisterGameRemovesEveryPlace, AndSaysWhetherAnythingWasThere) {
    const RemovalCase& c = GetParam();
    FaultingSystem system;
    if (!c.gameExplorer) {
        system.RemoveGameExplorer();
    }
    if (c.failing != nullptr) {
        system.Fail(c.failing, E_ACCESSDENIED);
    }
    for (const Place& place : c.places) {
        system.SetRegistryText(place.root, place.GameKey(kGivenGuid), L"", kExe);
        system.SetRegistryText(place.root, place.GameKey(kOtherGuid), L"", kExe);
    }
    EXPECT_EQ(RemoveEveryRegistration(kGivenGuid), c.result);
    for (const Place& place : c.places) {
        SCOPED_TRACE(LogText(place.parent.c_str()));
        EXPECT_EQ(system.KeyExists(place.root, place.GameKey(kGivenGuid)), c.failing != nullptr);
        EXPECT_TRUE(system.KeyExists(place.root, place.GameKey(kOtherGuid)));
    }
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, UnregisterGameRemovesEveryPlace, testing::ValuesIn(kRemovalCases),
                         [](const auto& p) { return std::string(p.param.name); });

// ---- COM initialisation ------------------------------------------------------------------------

// The balance is the double's: each successful CoInitialize, the program's own or one that found
// COM set up already, is undone once, and a failed one never; and only after the last release.
TEST(RegistrationComInitialization, UninitialisesOnlyAfterItsOwnSuccessAndItsLastRelease) {
    for (const std::string mode : {"new", "already set up", "failing"}) {
        for (bool registering : {true, false}) {
            SCOPED_TRACE(mode + (registering ? " register" : " remove"));
            FaultingSystem system;
            system.PutFile(kExe);
            if (mode == "already set up") {
                system.Underneath().CoInitialize();
            }
            if (mode == "failing") {
                system.Fail("CoInitialize", E_FAIL);
            }
            const GUID gameId = kGivenGuid;
            EXPECT_EQ(registering ? RegisterGame(kExe, kDir, GIS_ALL_USERS, gameId)
                                  : RemoveEveryRegistration(gameId),
                      registering ? S_OK : S_FALSE);
            EXPECT_TRUE(system.AccountsBalance());
            bool uninitialised = false;
            for (const std::string& call : system.Calls()) {
                uninitialised = uninitialised || call == "CoUninitialize";
                EXPECT_FALSE(uninitialised && call.ends_with("::Release")) << call;
            }
            if (mode == "already set up") {
                system.Underneath().CoUninitialize();
            }
        }
    }
}

// ---- Fault injection ---------------------------------------------------------------------------

TEST(RegistrationFaultInjection, EveryFailingCallLeavesAccountsBalanced) {
    const auto withExplorer = [](FaultingSystem& s) { s.PutFile(kExe); };
    const auto withoutExplorer = [](FaultingSystem& s) { s.RemoveGameExplorer(); };
    // Registered in both scopes.
    const auto registered = [](auto arrange) {
        return [arrange](FaultingSystem& s) {
            arrange(s);
            for (int scope : {GIS_CURRENT_USER, GIS_ALL_USERS}) {
                GUID gameId = kGivenGuid;
                ASSERT_EQ(RegisterGame(kExe, kDir, scope, gameId), S_OK);
            }
        };
    };
    const auto registerNew = [] { return RegisterGame(kExe, kDir, GIS_CURRENT_USER, kGivenGuid); };
    const auto unregister = [] { return RemoveEveryRegistration(kGivenGuid); };
    // Every run ends in a failure or in the documented success.
    const auto documented = [](FaultingSystem&, HRESULT result) {
        EXPECT_TRUE(FAILED(result) || result == S_OK || result == S_FALSE) << result;
    };
    SweepEveryCall(withExplorer, registerNew, documented);
    SweepEveryCall(withoutExplorer, registerNew, documented);
    SweepEveryCall(registered(withExplorer), unregister, documented);
    // A deletion that is refused, or a place that cannot be opened, is the result, and the other
    // upgrade key goes all the same.
    int refusedDeletions = 0;
    SweepEveryCall(registered(withoutExplorer), unregister, [&](FaultingSystem& s, HRESULT result) {
        documented(s, result);
        const std::size_t left = PlacesOf(s, kGivenGuid).size();
        EXPECT_LE(left, 1u);
        refusedDeletions += result == E_ACCESSDENIED && left == 1u ? 1 : 0;
    });
    EXPECT_EQ(refusedDeletions, 4);
}

}  // namespace
