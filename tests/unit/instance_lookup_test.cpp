#include "registration/instance_lookup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registration/guid_text.h"
#include "support/faulting_system.h"

namespace {

using testing::ElementsAre;

constexpr GUID kFoundGuid = {
    0x9D1C4C2B, 0x5E27, 0x4B3A, {0x8F, 0x61, 0x2C, 0x0D, 0x7A, 0x93, 0xE4, 0x15}};
constexpr GUID kSecondGuid = {
    0x0A1B2C3D, 0x4E5F, 0x6071, {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}};
// What gameId holds before a lookup, to see that a failed one leaves it alone.
constexpr GUID kBefore = {
    0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
constexpr const wchar_t* kExe = L"C:\\Games\\Arena\\game.exe";

// A record of Game Explorer, which its WMI namespace lists, for a game with the key name
// instanceId in a scope's records.
void RecordGame(FaultingSystem& system, const std::wstring& instanceId,
                const std::wstring& path = kExe, int scope = GIS_ALL_USERS) {
    const std::wstring scopeKey =
        scope == GIS_ALL_USERS ? kAllUsersRecordsName : FaultingSystem::kUserSid;
    system.SetRegistryText(
        HKEY_LOCAL_MACHINE,
        std::wstring(kGameExplorerRecordsKey) + L"\\" + scopeKey + L"\\" + instanceId,
        kRecordBinaryPathValue, path);
}

class InstanceLookupTest : public testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(system.AccountsBalance()); }

    FaultingSystem system;
    GUID gameId = kBefore;
};

// Each object is released before the one it was obtained through, and COM is uninitialised
// after all of them.
TEST_F(InstanceLookupTest, FindsTheGameThroughWmiAndReleasesInReverseOrder) {
    RecordGame(system, BracedGuid(kFoundGuid));
    system.StartCounting();
    EXPECT_EQ(FindGameInstanceId(kExe, &gameId), S_OK);
    EXPECT_EQ(LogGuid(gameId), LogGuid(kFoundGuid));
    std::vector<std::string> releases;
    for (const std::string& call : system.Calls()) {
        if (call.ends_with("::Release") || call == "CoUninitialize") {
            releases.push_back(call);
        }
    }
    EXPECT_THAT(releases,
                ElementsAre("IWbemClassObject::Release", "IEnumWbemClassObject::Release",
                            "IWbemServices::Release", "IWbemLocator::Release", "CoUninitialize"));
}

// Game Explorer lists the games of all users before the current user's: the first is taken.
TEST_F(InstanceLookupTest, OnlyTheFirstOfTwoGamesWithThePathIsRead) {
    RecordGame(system, BracedGuid(kFoundGuid));
    RecordGame(system, BracedGuid(kSecondGuid), kExe, GIS_CURRENT_USER);
    EXPECT_EQ(FindGameInstanceId(kExe, &gameId), S_OK);
    EXPECT_EQ(LogGuid(gameId), LogGuid(kFoundGuid));
}

TEST_F(InstanceLookupTest, NullGameIdOnlyReportsWhetherFound) {
    EXPECT_EQ(FindGameInstanceId(kExe, nullptr), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    RecordGame(system, BracedGuid(kFoundGuid));
    EXPECT_EQ(FindGameInstanceId(kExe, nullptr), S_OK);
}

const HRESULT kInvalidData = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
const HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

struct FailureCase {
    const char* name;
    HRESULT result;
    const char* failing = nullptr;  // a call made to fail with code
    long code = 0;
    const wchar_t* instanceId = L"{9D1C4C2B-5E27-4B3A-8F61-2C0D7A93E415}";  // of kExe's record
    bool gameExplorer = true;
};

const FailureCase kFailureCases[] = {
    {"NoLocator", REGDB_E_CLASSNOTREG, "CoCreateInstance {4590F811", REGDB_E_CLASSNOTREG},
    {.name = "NoGamesNamespace", .result = kNotFound, .gameExplorer = false},
    {"ServerRefused", E_ACCESSDENIED, "IWbemLocator::ConnectServer", E_ACCESSDENIED},
    {"QueryRefused", WBEM_E_INVALID_QUERY, "IWbemServices::ExecQuery", WBEM_E_INVALID_QUERY},
    {"NextFails", static_cast<HRESULT>(0x80041010), "IEnumWbemClassObject::Next", 0x80041010},
    {.name = "NoMatchingGame", .result = kNotFound, .instanceId = nullptr},
    {"PropertyMissing", WBEM_E_NOT_FOUND, "IWbemClassObject::Get", WBEM_E_NOT_FOUND},
    // A success that leaves the value empty: no text, so no GUID.
    {"PropertyNotText", kInvalidData, "IWbemClassObject::Get", S_OK},
    {.name = "InstanceIdNotAGuid", .result = kInvalidData, .instanceId = L"not a guid"},
    {"ProxyBlanketRefusedIsNotExamined", S_OK, "CoSetProxyBlanket", E_ACCESSDENIED},
    // A text that cannot be made is out of memory, whichever it is.
    {"NamespaceTextNotMade", E_OUTOFMEMORY, "SysAllocString \\\\.\\root"},
    {"LanguageTextNotMade", E_OUTOFMEMORY, "SysAllocString WQL"},
    {"QueryTextNotMade", E_OUTOFMEMORY, "SysAllocString SELECT"},
    {"PropertyNameNotMade", E_OUTOFMEMORY, "SysAllocString InstanceID"},
};

class InstanceLookupFailureTest : public InstanceLookupTest,
                                  public testing::WithParamInterface<FailureCase> {};

TEST_P(InstanceLookupFailureTest, EveryFailureGivesItsResultAndLeavesGameIdAlone) {
    const FailureCase& c = GetParam();
    if (c.instanceId != nullptr) {
        RecordGame(system, c.instanceId);
    }
    if (!c.gameExplorer) {
        system.RemoveGameExplorer();
    }
    if (c.failing != nullptr) {
        system.Fail(c.failing, c.code);
    }
    EXPECT_EQ(FindGameInstanceId(kExe, &gameId), c.result);
    EXPECT_EQ(LogGuid(gameId), LogGuid(SUCCEEDED(c.result) ? kFoundGuid : kBefore));
}

INSTANTIATE_TEST_SUITE_P(Cases, InstanceLookupFailureTest, testing::ValuesIn(kFailureCases),
                         [](const auto& p) { return std::string(p.param.name); });

struct EscapeCase {
    const char* name;
    std::wstring path;  // recorded as a game's, and looked up
    bool queried;       // else refused as too long for the query, which is never cut
};

// The query holds 1023 characters; its text around the path takes 43 of them.
const EscapeCase kEscapeCases[] = {
    {"Backslashes", kExe, true},
    {"EmptyPath", L"", true},
    {"QuoteCannotEndTheLiteral", L"C:\\a\" OR Name = \"b", true},
    {"EscapedTextFillsQueryExactly", std::wstring(490, L'\\'), true},
    {"PlainTextFillsQueryExactly", std::wstring(980, L'a'), true},
    {"EscapedTextOneTooLong", std::wstring(491, L'\\'), false},
    {"PlainTextOneTooLong", std::wstring(981, L'a'), false},
    {"QuotesOverflowQuery", std::wstring(491, L'"'), false},
    {"EscapedTextBeyondItsBuffer", std::wstring(1024, L'\\'), false},
    {"FarBeyondEveryBuffer", std::wstring(5000, L'"'), false},
};

class InstanceLookupEscapeTest : public InstanceLookupTest,
                                 public testing::WithParamInterface<EscapeCase> {};

// The system's query reader takes the path back out of the literal: a path escaped wrongly is
// no query or another path, and a query cut short names another path.
TEST_P(InstanceLookupEscapeTest, QueryFindsTheGameOfExactlyThePathOrIsNotSent) {
    const EscapeCase& c = GetParam();
    RecordGame(system, BracedGuid(kFoundGuid), c.path);
    const HRESULT result = FindGameInstanceId(c.path.c_str(), &gameId);
    EXPECT_EQ(result, c.queried ? S_OK : HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(LogGuid(gameId), LogGuid(c.queried ? kFoundGuid : kBefore));
}

INSTANTIATE_TEST_SUITE_P(Cases, InstanceLookupEscapeTest, testing::ValuesIn(kEscapeCases),
                         [](const auto& p) { return std::string(p.param.name); });

// COM set up on the thread already: CoInitialize's S_FALSE is undone all the same (a failed one
// never, which the sweep below checks).
TEST(InstanceLookupComInitialization, UndoesAnInitialisationThatFoundComSetUp) {
    FaultingSystem system;
    RecordGame(system, BracedGuid(kFoundGuid));
    system.Underneath().CoInitialize();
    EXPECT_EQ(FindGameInstanceId(kExe, nullptr), S_OK);
    EXPECT_TRUE(system.AccountsBalance());
    system.Underneath().CoUninitialize();
}

TEST(InstanceLookupFaultInjection, EveryFailingCallLeavesAccountsBalancedAndNoWrongGuid) {
    GUID gameId = kBefore;
    SweepEveryCall([](FaultingSystem& system) { RecordGame(system, BracedGuid(kFoundGuid)); },
                   [&] {
                       gameId = kBefore;
                       return FindGameInstanceId(kExe, &gameId);
                   },
                   [&](FaultingSystem&, HRESULT result) {
                       // The failing call's own result (the double fails a COM call with
                       // E_FAIL), or out of memory for a text; which text gives which is
                       // pinned above.
                       EXPECT_TRUE(result == S_OK || result == E_FAIL || result == E_OUTOFMEMORY)
                           << result;
                       EXPECT_EQ(LogGuid(gameId), LogGuid(result == S_OK ? kFoundGuid : kBefore));
                   });
}

}  // namespace
