#include "registration/registered_game_lookup.h"

#include <gtest/gtest.h>

#include <string>

#include "support/faulting_system.h"

namespace {

// In a folder whose short name differs from its name: ARENAD~1.
constexpr const wchar_t* kExe = L"C:\\Games\\Arena Deluxe\\game.exe";
constexpr const wchar_t* kShortExe = L"C:\\Games\\ARENAD~1\\game.exe";
constexpr GUID kBefore = {
    0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};

const std::wstring kRecords = std::wstring(kGameExplorerRecordsKey) + L"\\";
const std::wstring kUserRecords = kRecords + FaultingSystem::kUserSid + L"\\";
const std::wstring kAllUsersRecords = kRecords + kAllUsersRecordsName + L"\\";
const std::wstring kUserUpgrade = std::wstring(kCurrentUserUpgradeKey) + L"\\";
const std::wstring kAllUsersUpgrade = std::wstring(kAllUsersUpgradeKey) + L"\\";

// Distinct GUIDs, one per place, so that a row shows which place won.
const std::wstring kOtherGuid = L"{0A000000-0000-0000-0000-000000000001}";
const std::wstring kUserRecordGuid = L"{0B000000-0000-0000-0000-000000000002}";
const std::wstring kAllUsersRecordGuid = L"{0C000000-0000-0000-0000-000000000003}";
const std::wstring kUserUpgradeGuid = L"{0D000000-0000-0000-0000-000000000004}";
const std::wstring kAllUsersUpgradeGuid = L"{0E000000-0000-0000-0000-000000000005}";

// A game key below parent (of HKCU for the current user's upgrade key, else of HKLM) whose
// value names path.
void Record(FaultingSystem& s, const std::wstring& parent, const std::wstring& guid,
            const wchar_t* value, const std::wstring& path) {
    const HKEY root = parent == kUserUpgrade ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    s.SetRegistryText(root, parent + guid, value, path);
}

void RecordEverywhere(FaultingSystem& s) {
    Record(s, kUserRecords, kUserRecordGuid, kRecordBinaryPathValue, kExe);
    Record(s, kAllUsersRecords, kAllUsersRecordGuid, kRecordBinaryPathValue, kExe);
    Record(s, kUserUpgrade, kUserUpgradeGuid, kUpgradeBinaryPathValue, kExe);
    Record(s, kAllUsersUpgrade, kAllUsersUpgradeGuid, kUpgradeBinaryPathValue, kExe);
}

// Without Game Explorer, and so without the WMI namespace that lists its records, only the
// registry's places are read.
void NoNamespace(FaultingSystem& s) {
    s.RemoveGameExplorer();
}

struct LookupCase {
    const char* name;
    void (*arrange)(FaultingSystem&);
    HRESULT result;
    std::wstring found;  // the GUID expected on S_OK
};

const LookupCase kLookupCases[] = {
    // WMI lists the records of all users first; the registry's places start with the current
    // user's.
    {"FoundByWmiFirst", RecordEverywhere, S_OK, kAllUsersRecordGuid},
    {"ByTheCurrentUsersRecord",
     [](FaultingSystem& s) {
         NoNamespace(s);
         RecordEverywhere(s);
     },
     S_OK, kUserRecordGuid},
    {"ByTheAllUsersRecordInAnyCase",
     [](FaultingSystem& s) {
         NoNamespace(s);
         Record(s, kAllUsersRecords, kAllUsersRecordGuid, kRecordBinaryPathValue,
                L"c:\\GAMES\\arena deluxe\\Game.EXE");
         Record(s, kUserUpgrade, kUserUpgradeGuid, kUpgradeBinaryPathValue, kExe);
     },
     S_OK, kAllUsersRecordGuid},
    {"ByTheCurrentUsersUpgradeKey",
     [](FaultingSystem& s) {
         NoNamespace(s);
         Record(s, kUserUpgrade, kUserUpgradeGuid, kUpgradeBinaryPathValue, kExe);
         Record(s, kAllUsersUpgrade, kAllUsersUpgradeGuid, kUpgradeBinaryPathValue, kExe);
     },
     S_OK, kUserUpgradeGuid},
    {"ByTheAllUsersUpgradeKey",
     [](FaultingSystem& s) {
         NoNamespace(s);
         Record(s, kAllUsersUpgrade, kAllUsersUpgradeGuid, kUpgradeBinaryPathValue, kExe);
     },
     S_OK, kAllUsersUpgradeGuid},
    {"ByARecordOfAnotherSpellingOfThePath",
     [](FaultingSystem& s) {
         NoNamespace(s);
         Record(s, kAllUsersRecords, kAllUsersRecordGuid, kRecordBinaryPathValue,
                std::wstring(L"\\\\?\\") + kExe);
     },
     S_OK, kAllUsersRecordGuid},
    {"ByARecordOfTheShortNameOfThePath",
     [](FaultingSystem& s) {
         NoNamespace(s);
         Record(s, kUserUpgrade, kUserUpgradeGuid, kUpgradeBinaryPathValue,
                std::wstring(L"\\\\.\\") + kShortExe);
     },
     S_OK, kUserUpgradeGuid},
    {"NotFound",
     [](FaultingSystem& s) {
         NoNamespace(s);
         Record(s, kAllUsersRecords, kAllUsersRecordGuid, kRecordBinaryPathValue,
                std::wstring(kExe) + L".bak");
         Record(s, kAllUsersUpgrade, kAllUsersUpgradeGuid, kRecordBinaryPathValue, kExe);
     },
     HRESULT_FROM_WIN32(ERROR_NOT_FOUND), L""},
    {"UnreadableRecordsAreSkipped",
     [](FaultingSystem& s) {
         NoNamespace(s);
         // A name that is no GUID, the all-zero GUID and a key without the path value.
         Record(s, kAllUsersRecords, L"Arena", kRecordBinaryPathValue, kExe);
         Record(s, kAllUsersRecords, L"{00000000-0000-0000-0000-000000000000}",
                kRecordBinaryPathValue, kExe);
         Record(s, kAllUsersRecords, kOtherGuid, kRecordTitleValue, kExe);
         Record(s, kAllUsersUpgrade, kAllUsersUpgradeGuid, kUpgradeBinaryPathValue, kExe);
     },
     S_OK, kAllUsersUpgradeGuid},
    {"KeyNamesThatOnlyStartLikeAGuidNameNoGame",
     [](FaultingSystem& s) {
         NoNamespace(s);
         Record(s, kAllUsersRecords, kOtherGuid + L".bak", kRecordBinaryPathValue, kExe);
         Record(s, kAllUsersRecords, kOtherGuid + L" old", kRecordBinaryPathValue, kExe);
         Record(s, kUserRecords, kOtherGuid.substr(0, 37), kRecordBinaryPathValue, kExe);
         Record(s, kUserUpgrade, L"{" + kUserUpgradeGuid.substr(2), kUpgradeBinaryPathValue, kExe);
         Record(s, kAllUsersUpgrade, kAllUsersUpgradeGuid, kUpgradeBinaryPathValue, kExe);
     },
     S_OK, kAllUsersUpgradeGuid},
    // WMI gives the all-users record's key name as the game's instance id, which is no GUID:
    // the current user's record, after it, names the game.
    {"AnInstanceIdThatOnlyStartsLikeAGuidIsNoGame",
     [](FaultingSystem& s) {
         Record(s, kAllUsersRecords, kOtherGuid + L".bak", kRecordBinaryPathValue, kExe);
         Record(s, kUserRecords, kUserRecordGuid, kRecordBinaryPathValue, kExe);
     },
     S_OK, kUserRecordGuid},
};

class RegisteredGameLookupTest : public testing::TestWithParam<LookupCase> {};

TEST_P(RegisteredGameLookupTest, TheFirstPlaceThatNamesThePathWins) {
    const LookupCase& c = GetParam();
    FaultingSystem system;
    system.PutFile(kExe);
    c.arrange(system);
    GUID gameId = kBefore;
    GamePath path;
    ASSERT_EQ(MakeGamePath(kExe, path), S_OK);
    EXPECT_EQ(FindRegisteredGame(path, &gameId), c.result);
    EXPECT_EQ(LogGuid(gameId), SUCCEEDED(c.result) ? LogText(c.found.c_str()) : LogGuid(kBefore));
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, RegisteredGameLookupTest, testing::ValuesIn(kLookupCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(RegisteredGameLookupShortPath, AShortOrPrefixedPathFindsTheRecordOfItsLongForm) {
    FaultingSystem system;
    system.PutFile(kExe);
    NoNamespace(system);
    Record(system, kAllUsersRecords, kAllUsersRecordGuid, kRecordBinaryPathValue, kExe);
    GUID gameId = kBefore;
    GamePath path;
    ASSERT_EQ(MakeGamePath(std::wstring(L"\\\\?\\") + kShortExe, path), S_OK);
    EXPECT_EQ(path.full, kExe);
    EXPECT_EQ(FindRegisteredGame(path, &gameId), S_OK);
    EXPECT_EQ(LogGuid(gameId), LogText(kAllUsersRecordGuid.c_str()));
}

// A "\\?\" path that tidying would change names another file: refused. A short name that cannot
// be resolved falls back to the path as typed only when nothing by that name exists.
const HRESULT kInvalidName = HRESULT_FROM_WIN32(ERROR_INVALID_NAME);

struct GamePathCase {
    const char* name;
    std::wstring typed;
    const char* failingLongPathCall;  // nullptr: none
    HRESULT result;
    std::wstring full;  // expected on S_OK
};

const GamePathCase kGamePathCases[] = {
    {"VerbatimAsWritten", std::wstring(L"\\\\?\\") + kExe, nullptr, S_OK, kExe},
    {"VerbatimTrailingDot", std::wstring(L"\\\\?\\") + kExe + L".", nullptr, kInvalidName, {}},
    {"VerbatimTrailingBlank",
     L"\\\\?\\C:\\Games\\Arena Deluxe \\game.exe",
     nullptr,
     kInvalidName,
     {}},
    {"VerbatimDotName", L"\\\\?\\C:\\Games\\.\\Arena Deluxe\\game.exe", nullptr, kInvalidName, {}},
    {"VerbatimDotDot",
     L"\\\\?\\C:\\Games\\x\\..\\Arena Deluxe\\game.exe",
     nullptr,
     kInvalidName,
     {}},
    {"VerbatimSlash", L"\\\\?\\C:\\Games/Arena Deluxe\\game.exe", nullptr, kInvalidName, {}},
    {"VerbatimEmptyName", L"\\\\?\\C:\\Games\\\\Arena Deluxe\\game.exe", nullptr, kInvalidName, {}},
    {"ShortNameOfMissingFile", L"C:\\Games\\ARENAD~1\\gone.exe", "GetLongPathNameW", S_OK,
     L"C:\\Games\\ARENAD~1\\gone.exe"},
    {"ShortNameThatCannotBeResolved", kShortExe, "GetLongPathNameW", E_ACCESSDENIED, {}},
};

class GamePathTest : public testing::TestWithParam<GamePathCase> {};

TEST_P(GamePathTest, IsMadeOrRefusedBeforeAnyLookup) {
    const GamePathCase& c = GetParam();
    FaultingSystem system;
    system.PutFile(kExe);
    if (c.failingLongPathCall != nullptr) {
        system.Fail(c.failingLongPathCall,
                    c.result == S_OK ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
    }
    GamePath path;
    EXPECT_EQ(MakeGamePath(c.typed, path), c.result);
    EXPECT_EQ(path.full, c.full);
}

INSTANTIATE_TEST_SUITE_P(Cases, GamePathTest, testing::ValuesIn(kGamePathCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
