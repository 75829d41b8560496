#include "registration/instance_lookup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/scripted_system.h"

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
constexpr const char* kQueryStart = "SELECT * FROM GAME WHERE GDFBinaryPath = \"";

std::wstring Braced(const GUID& guid) {
    wchar_t text[CHARS_IN_GUID] = {};
    StringFromGUID2(guid, text, CHARS_IN_GUID);
    return text;
}

class InstanceLookupTest : public testing::Test {
  protected:
    void SetUp() override { system.script.wmiObjects = {{Braced(kFoundGuid)}}; }
    void TearDown() override { EXPECT_TRUE(system.AccountsBalance()); }

    // The query text the lookup sent, or "" when it sent none.
    std::string SentQuery() const {
        const std::vector<std::string> queries =
            system.CallsStartingWith("IWbemServices::ExecQuery WQL ");
        if (queries.empty()) {
            return "";
        }
        const std::string& line = queries.front();
        const std::string prefix = "IWbemServices::ExecQuery WQL ";
        const std::string suffix = " 0x30 null";
        return line.substr(prefix.size(), line.size() - prefix.size() - suffix.size());
    }

    ScriptedSystem system;
    GUID gameId = kBefore;
};

TEST_F(InstanceLookupTest, FindsFirstGameThroughWmiAndReleasesInReverseOrder) {
    EXPECT_EQ(FindGameInstanceId(kExe, &gameId), S_OK);
    EXPECT_EQ(LogGuid(gameId), LogGuid(kFoundGuid));
    const std::string query =
        "SELECT * FROM GAME WHERE GDFBinaryPath = \"C:\\\\Games\\\\Arena\\\\game.exe\"";
    EXPECT_THAT(system.Calls(),
                ElementsAre("CoInitialize",
                            "CoCreateInstance {4590F811-1D3A-11D0-891F-00AA004B2E24} "
                            "{DC12A687-737F-11CF-884D-00AA004B2E24}",
                            "SysAllocString \\\\.\\root\\cimv2\\Applications\\Games",
                            "IWbemLocator::ConnectServer \\\\.\\root\\cimv2\\Applications\\Games "
                            "0 rest-null",
                            "CoSetProxyBlanket proxy 10 0 null 3 3 null 0", "SysAllocString WQL",
                            "SysAllocString " + query,
                            "IWbemServices::ExecQuery WQL " + query + " 0x30 null",
                            "IEnumWbemClassObject::Next 5000 1", "SysAllocString InstanceID",
                            "IWbemClassObject::Get InstanceID 0 null null",
                            "SysFreeString " + LogGuid(kFoundGuid), "SysFreeString InstanceID",
                            "Release IWbemClassObject", "Release IEnumWbemClassObject",
                            "SysFreeString " + query, "SysFreeString WQL",
                            "SysFreeString \\\\.\\root\\cimv2\\Applications\\Games",
                            "Release IWbemServices", "Release IWbemLocator", "CoUninitialize"));
}

TEST_F(InstanceLookupTest, OnlyTheFirstOfTwoGamesWithThePathIsRead) {
    system.script.wmiObjects.push_back({Braced(kSecondGuid)});
    EXPECT_EQ(FindGameInstanceId(kExe, &gameId), S_OK);
    EXPECT_EQ(LogGuid(gameId), LogGuid(kFoundGuid));
    EXPECT_EQ(system.CallsStartingWith("IEnumWbemClassObject::Next").size(), 1u);
}

TEST_F(InstanceLookupTest, NullGameIdOnlyReportsWhetherFound) {
    EXPECT_EQ(FindGameInstanceId(kExe, nullptr), S_OK);
    system.script.wmiObjects.clear();
    EXPECT_EQ(FindGameInstanceId(kExe, nullptr), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
}

const HRESULT kInvalidData = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

struct FailureCase {
    const char* name;
    void (*arrange)(SystemScript&);
    HRESULT result;
};

const FailureCase kFailureCases[] = {
    {"NoLocator", [](SystemScript& s) { s.createLocator = REGDB_E_CLASSNOTREG; },
     REGDB_E_CLASSNOTREG},
    {"NoGamesNamespace", [](SystemScript& s) { s.connectServer = WBEM_E_INVALID_NAMESPACE; },
     HRESULT_FROM_WIN32(ERROR_NOT_FOUND)},
    {"ServerRefused", [](SystemScript& s) { s.connectServer = E_ACCESSDENIED; }, E_ACCESSDENIED},
    {"QueryRefused", [](SystemScript& s) { s.execQuery = WBEM_E_INVALID_QUERY; },
     WBEM_E_INVALID_QUERY},
    {"NextFails", [](SystemScript& s) { s.next = static_cast<HRESULT>(0x80041010); },
     static_cast<HRESULT>(0x80041010)},
    {"NoMatchingGame", [](SystemScript& s) { s.wmiObjects.clear(); },
     HRESULT_FROM_WIN32(ERROR_NOT_FOUND)},
    {"NullObject", [](SystemScript& s) { s.nextYieldsNullObject = true; }, E_POINTER},
    {"PropertyMissing", [](SystemScript& s) { s.wmiObjects[0].getResult = WBEM_E_NOT_FOUND; },
     WBEM_E_NOT_FOUND},
    {"PropertyNotText", [](SystemScript& s) { s.wmiObjects[0].type = VT_I4; }, kInvalidData},
    {"PropertyNull", [](SystemScript& s) { s.wmiObjects[0].type = VT_NULL; }, kInvalidData},
    {"InstanceIdNotAGuid", [](SystemScript& s) { s.wmiObjects[0].instanceId = L"not a guid"; },
     kInvalidData},
    {"ProxyBlanketRefusedIsNotExamined",
     [](SystemScript& s) { s.setProxyBlanket = E_ACCESSDENIED; }, S_OK},
};

class InstanceLookupFailureTest : public InstanceLookupTest,
                                  public testing::WithParamInterface<FailureCase> {};

TEST_P(InstanceLookupFailureTest, EveryFailureGivesItsResultAndLeavesGameIdAlone) {
    GetParam().arrange(system.script);
    EXPECT_EQ(FindGameInstanceId(kExe, &gameId), GetParam().result);
    EXPECT_EQ(LogGuid(gameId), LogGuid(SUCCEEDED(GetParam().result) ? kFoundGuid : kBefore));
}

INSTANTIATE_TEST_SUITE_P(Cases, InstanceLookupFailureTest, testing::ValuesIn(kFailureCases),
                         [](const auto& p) { return std::string(p.param.name); });

struct EscapeCase {
    const char* name;
    std::wstring path;
    std::string escaped;  // between the quotes of the query; empty when no query may be sent
    bool queried;
};

const EscapeCase kEscapeCases[] = {
    {"Backslashes", kExe, "C:\\\\Games\\\\Arena\\\\game.exe", true},
    {"EmptyPath", L"", "", true},
    {"QuoteCannotEndTheLiteral", L"C:\\a\" OR Name = \"b", "C:\\\\a\\\" OR Name = \\\"b", true},
    {"EscapedTextFillsQueryExactly", std::wstring(490, L'\\'), std::string(980, '\\'), true},
    {"PlainTextFillsQueryExactly", std::wstring(980, L'a'), std::string(980, 'a'), true},
    {"EscapedTextOneTooLong", std::wstring(491, L'\\'), "", false},
    {"PlainTextOneTooLong", std::wstring(981, L'a'), "", false},
    {"QuotesOverflowQuery", std::wstring(491, L'"'), "", false},
    {"EscapedTextBeyondItsBuffer", std::wstring(1024, L'\\'), "", false},
    {"FarBeyondEveryBuffer", std::wstring(5000, L'"'), "", false},
};

class InstanceLookupEscapeTest : public InstanceLookupTest,
                                 public testing::WithParamInterface<EscapeCase> {};

TEST_P(InstanceLookupEscapeTest, QueryHoldsTheEscapedPathWholeOrIsNotSent) {
    const EscapeCase& c = GetParam();
    const HRESULT result = FindGameInstanceId(c.path.c_str(), &gameId);
    if (c.queried) {
        EXPECT_EQ(result, S_OK);
        EXPECT_EQ(SentQuery(), kQueryStart + c.escaped + "\"");
        EXPECT_LE(SentQuery().size(), 1023u);
    } else {
        EXPECT_EQ(result, HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
        EXPECT_FALSE(system.Called("IWbemServices::ExecQuery"));
        EXPECT_FALSE(system.Called("SysAllocString SELECT"));
        EXPECT_EQ(LogGuid(gameId), LogGuid(kBefore));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, InstanceLookupEscapeTest, testing::ValuesIn(kEscapeCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(InstanceLookupComInitialization, UninitialisesOnlyAfterItsOwnSuccess) {
    const struct {
        HRESULT coInitialize;
        std::size_t uninitialisations;
    } cases[] = {{S_OK, 1}, {S_FALSE, 1}, {E_FAIL, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.coInitialize);
        ScriptedSystem system;
        system.script.coInitialize = c.coInitialize;
        system.script.wmiObjects = {{Braced(kFoundGuid)}};
        FindGameInstanceId(kExe, nullptr);
        EXPECT_EQ(system.CallsStartingWith("CoUninitialize").size(), c.uninitialisations);
        EXPECT_TRUE(system.AccountsBalance());
    }
}

TEST(InstanceLookupFaultInjection, EveryFailingCallLeavesAccountsBalancedAndNoWrongGuid) {
    int callCount = 0;
    {
        ScriptedSystem clean;
        clean.script.wmiObjects = {{Braced(kFoundGuid)}};
        GUID gameId = GUID_NULL;
        ASSERT_EQ(FindGameInstanceId(kExe, &gameId), S_OK);
        callCount = clean.CallCount();
    }
    for (int n = 1; n <= callCount; ++n) {
        SCOPED_TRACE(n);
        ScriptedSystem system;
        system.script.wmiObjects = {{Braced(kFoundGuid)}};
        system.FailCall(n);
        GUID gameId = kBefore;
        const HRESULT result = FindGameInstanceId(kExe, &gameId);
        EXPECT_TRUE(system.InjectedFailureHappened());
        // The failing call's own result: the double fails a call with E_FAIL, and a string that
        // cannot be made is out of memory.
        const bool stringCall = system.InjectedCall().rfind("SysAllocString", 0) == 0;
        EXPECT_TRUE(result == S_OK || result == (stringCall ? E_OUTOFMEMORY : E_FAIL)) << result;
        EXPECT_EQ(LogGuid(gameId), LogGuid(result == S_OK ? kFoundGuid : kBefore));
        EXPECT_TRUE(system.AccountsBalance());
    }
}

}  // namespace
