#include "registration/registered_game_lookup.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "support/scripted_system.h"

namespace {

constexpr const wchar_t* kExe = L"C:\\Games\\Arena\\game.exe";
constexpr GUID kBefore = {
    0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};

const std::wstring kGameUx = L"hklm\\software\\microsoft\\windows\\currentversion\\gameux\\";
const std::wstring kUserRecords = kGameUx + L"s-1-5-21-1-2-3-1001\\";
const std::wstring kAllUsersRecords = kGameUx + L"games\\";
const std::wstring kUserUpgrade =
    L"hkcu\\software\\classes\\software\\microsoft\\windows\\"
    L"currentversion\\gameux\\gamestofindonwindowsupgrade\\";
const std::wstring kAllUsersUpgrade = kGameUx + L"gamestofindonwindowsupgrade\\";

// Distinct GUIDs, one per place, so that a row shows which place won.
const std::wstring kWmiGuid = L"{0A000000-0000-0000-0000-000000000001}";
const std::wstring kUserRecordGuid = L"{0B000000-0000-0000-0000-000000000002}";
const std::wstring kAllUsersRecordGuid = L"{0C000000-0000-0000-0000-000000000003}";
const std::wstring kUserUpgradeGuid = L"{0D000000-0000-0000-0000-000000000004}";
const std::wstring kAllUsersUpgradeGuid = L"{0E000000-0000-0000-0000-000000000005}";

std::vector<BYTE> Text(const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return {bytes, bytes + (text.size() + 1) * sizeof(wchar_t)};
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
    }
    return text;
}

// A game key below parent whose value names path.
void Record(SystemScript& s, const std::wstring& parent, const std::wstring& guid,
            const wchar_t* value, const std::wstring& path) {
    s.registry[parent + Lower(guid)][value] = Text(path);
}

void RecordEverywhereButWmi(SystemScript& s) {
    Record(s, kUserRecords, kUserRecordGuid, L"ConfigGDFBinaryPath", kExe);
    Record(s, kAllUsersRecords, kAllUsersRecordGuid, L"ConfigGDFBinaryPath", kExe);
    Record(s, kUserUpgrade, kUserUpgradeGuid, L"GDFBinaryPath", kExe);
    Record(s, kAllUsersUpgrade, kAllUsersUpgradeGuid, L"GDFBinaryPath", kExe);
}

void NoNamespace(SystemScript& s) {
    s.connectServer = WBEM_E_INVALID_NAMESPACE;
}

struct LookupCase {
    const char* name;
    void (*arrange)(SystemScript&);
    HRESULT result;
    std::wstring found;  // the GUID expected on S_OK
};

const LookupCase kLookupCases[] = {
    {"FoundByWmiFirst",
     [](SystemScript& s) {
         s.wmiObjects = {{kWmiGuid}};
         RecordEverywhereButWmi(s);
     },
     S_OK, kWmiGuid},
    {"ByTheCurrentUsersRecord",
     [](SystemScript& s) {
         NoNamespace(s);
         RecordEverywhereButWmi(s);
     },
     S_OK, kUserRecordGuid},
    {"ByTheAllUsersRecordInAnyCase",
     [](SystemScript& s) {
         NoNamespace(s);
         Record(s, kAllUsersRecords, kAllUsersRecordGuid, L"ConfigGDFBinaryPath",
                L"c:\\GAMES\\arena\\Game.EXE");
         Record(s, kUserUpgrade, kUserUpgradeGuid, L"GDFBinaryPath", kExe);
     },
     S_OK, kAllUsersRecordGuid},
    {"ByTheCurrentUsersUpgradeKey",
     [](SystemScript& s) {
         NoNamespace(s);
         Record(s, kUserUpgrade, kUserUpgradeGuid, L"GDFBinaryPath", kExe);
         Record(s, kAllUsersUpgrade, kAllUsersUpgradeGuid, L"GDFBinaryPath", kExe);
     },
     S_OK, kUserUpgradeGuid},
    {"ByTheAllUsersUpgradeKey",
     [](SystemScript& s) {
         NoNamespace(s);
         Record(s, kAllUsersUpgrade, kAllUsersUpgradeGuid, L"GDFBinaryPath", kExe);
     },
     S_OK, kAllUsersUpgradeGuid},
    {"ByARecordOfAnotherSpellingOfThePath",
     [](SystemScript& s) {
         NoNamespace(s);
         Record(s, kAllUsersRecords, kAllUsersRecordGuid, L"ConfigGDFBinaryPath",
                L"\\\\?\\C:\\Games\\Arena\\game.exe");
     },
     S_OK, kAllUsersRecordGuid},
    {"ByARecordOfTheShortNameOfThePath",
     [](SystemScript& s) {
         NoNamespace(s);
         Record(s, kUserUpgrade, kUserUpgradeGuid, L"GDFBinaryPath",
                L"\\\\.\\C:\\GAMES\\ARENA~1\\game.exe");
         s.longPaths[L"C:\\GAMES\\ARENA~1\\game.exe"] = L"C:\\GAMES\\Arena\\game.exe";
     },
     S_OK, kUserUpgradeGuid},
    {"NotFound",
     [](SystemScript& s) {
         NoNamespace(s);
         Record(s, kAllUsersRecords, kAllUsersRecordGuid, L"ConfigGDFBinaryPath",
                L"C:\\Games\\Arena\\game.exe.bak");
         Record(s, kAllUsersUpgrade, kAllUsersUpgradeGuid, L"ConfigGDFBinaryPath", kExe);
     },
     HRESULT_FROM_WIN32(ERROR_NOT_FOUND), L""},
    {"UnreadableRecordsAreSkipped",
     [](SystemScript& s) {
         NoNamespace(s);
         // A name that is no GUID, the all-zero GUID and a key without the path value.
         Record(s, kAllUsersRecords, L"Arena", L"ConfigGDFBinaryPath", kExe);
         Record(s, kAllUsersRecords, L"{00000000-0000-0000-0000-000000000000}",
                L"ConfigGDFBinaryPath", kExe);
         Record(s, kAllUsersRecords, kWmiGuid, L"Title", kExe);
         Record(s, kAllUsersUpgrade, kAllUsersUpgradeGuid, L"GDFBinaryPath", kExe);
     },
     S_OK, kAllUsersUpgradeGuid},
    {"KeyNamesThatOnlyStartLikeAGuidNameNoGame",
     [](SystemScript& s) {
         NoNamespace(s);
         Record(s, kAllUsersRecords, kWmiGuid + L".bak", L"ConfigGDFBinaryPath", kExe);
         Record(s, kAllUsersRecords, kWmiGuid + L" old", L"ConfigGDFBinaryPath", kExe);
         Record(s, kUserRecords, kWmiGuid.substr(0, 37), L"ConfigGDFBinaryPath", kExe);
         Record(s, kUserUpgrade, L"{" + kUserUpgradeGuid.substr(2), L"GDFBinaryPath", kExe);
         Record(s, kAllUsersUpgrade, kAllUsersUpgradeGuid, L"GDFBinaryPath", kExe);
     },
     S_OK, kAllUsersUpgradeGuid},
    {"AnInstanceIdThatOnlyStartsLikeAGuidIsNoGame",
     [](SystemScript& s) {
         s.wmiObjects = {{kWmiGuid + L".bak"}};
         Record(s, kAllUsersRecords, kAllUsersRecordGuid, L"ConfigGDFBinaryPath", kExe);
     },
     S_OK, kAllUsersRecordGuid},
};

class RegisteredGameLookupTest : public testing::TestWithParam<LookupCase> {};

TEST_P(RegisteredGameLookupTest, TheFirstPlaceThatNamesThePathWins) {
    const LookupCase& c = GetParam();
    ScriptedSystem system;
    c.arrange(system.script);
    GUID gameId = kBefore;
    GamePath path;
    ASSERT_EQ(MakeGamePath(kExe, path), S_OK);
    EXPECT_EQ(FindRegisteredGame(path, &gameId), c.result);
    wchar_t text[CHARS_IN_GUID] = {};
    StringFromGUID2(gameId, text, CHARS_IN_GUID);
    if (SUCCEEDED(c.result)) {
        EXPECT_EQ(std::wstring(text), c.found);
    } else {
        EXPECT_TRUE(IsEqualGUID(gameId, kBefore));
    }
    EXPECT_TRUE(system.AccountsBalance());
}

TEST(RegisteredGameLookupTest, AShortOrPrefixedPathFindsTheRecordOfItsLongForm) {
    ScriptedSystem system;
    NoNamespace(system.script);
    Record(system.script, kAllUsersRecords, kAllUsersRecordGuid, L"ConfigGDFBinaryPath", kExe);
    const std::wstring shortPath = L"\\\\?\\C:\\Games\\ARENA~1\\game.exe";
    system.script.longPaths[L"C:\\Games\\ARENA~1\\game.exe"] = kExe;
    GUID gameId = kBefore;
    GamePath path;
    ASSERT_EQ(MakeGamePath(shortPath, path), S_OK);
    EXPECT_EQ(path.full, kExe);
    EXPECT_EQ(FindRegisteredGame(path, &gameId), S_OK);
    wchar_t text[CHARS_IN_GUID] = {};
    StringFromGUID2(gameId, text, CHARS_IN_GUID);
    EXPECT_EQ(std::wstring(text), kAllUsersRecordGuid);
}

INSTANTIATE_TEST_SUITE_P(Cases, RegisteredGameLookupTest, testing::ValuesIn(kLookupCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
