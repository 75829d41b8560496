#include "emulated/wmi/wmi_services.h"

#include <cwchar>

#include "emulated/base/win32_codes.h"
#include "emulated_system_fixture.h"
#include "support/demo_game.h"

namespace {

constexpr GUID kAllUsersGame = {0xAAAAAAAA, 0x1111, 0x4222, {0x83, 0, 0, 0, 0, 0, 0, 1}};
constexpr GUID kUserGame = {0xBBBBBBBB, 0x1111, 0x4222, {0x83, 0, 0, 0, 0, 0, 0, 2}};

class WmiServicesTest : public EmulatedSystemTest {
  protected:
    // Adds the demo game, installed at path (ASCII), for the scope.
    void AddGame(const wchar_t* path, GAME_INSTALL_SCOPE scope, GUID id) {
        InstallDemoGame(folder_.Path(), std::string(path, path + std::wcslen(path)));
        IGameExplorer* explorer = Create<IGameExplorer>(CLSID_GameExplorer, IID_IGameExplorer);
        BSTR binary = system_.SysAllocString(path);
        BSTR folder = system_.SysAllocString(L"C:\\Games");
        EXPECT_EQ(explorer->AddGame(binary, folder, scope, &id), S_OK);
        system_.SysFreeString(binary);
        system_.SysFreeString(folder);
        explorer->Release();
    }

    HRESULT Connect(const wchar_t* name, IWbemServices** services) {
        IWbemLocator* locator = Create<IWbemLocator>(CLSID_WbemLocator, IID_IWbemLocator);
        BSTR resource = system_.SysAllocString(name);
        HRESULT hr = locator->ConnectServer(resource, nullptr, nullptr, nullptr, 0, nullptr,
                                            nullptr, services);
        system_.SysFreeString(resource);
        locator->Release();
        return hr;
    }

    // The InstanceIDs that the query yields, or the failure of ExecQuery as text.
    std::vector<std::wstring> Query(const wchar_t* text) {
        IWbemServices* services = nullptr;
        EXPECT_EQ(Connect(kGamesNamespace, &services), S_OK);
        EXPECT_EQ(system_.CoSetProxyBlanket(services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                            RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE,
                                            nullptr, EOAC_NONE),
                  S_OK);
        BSTR language = system_.SysAllocString(L"WQL");
        BSTR query = system_.SysAllocString(text);
        IEnumWbemClassObject* results = nullptr;
        HRESULT hr = services->ExecQuery(language, query, 0x30, nullptr, &results);
        system_.SysFreeString(query);
        system_.SysFreeString(language);
        services->Release();
        if (FAILED(hr)) {
            return {L"failed " + std::to_wstring(static_cast<unsigned>(hr))};
        }
        std::vector<std::wstring> ids;
        IWbemClassObject* object = nullptr;
        ULONG returned = 0;
        while (results->Next(5000, 1, &object, &returned) == S_OK && returned == 1) {
            VARIANT value;
            VariantInit(&value);
            CIMTYPE type = 0;
            EXPECT_EQ(object->Get(L"InstanceID", 0, &value, &type, nullptr), S_OK);
            EXPECT_EQ(value.vt, VT_BSTR);
            EXPECT_EQ(type, CIM_STRING);
            ids.emplace_back(value.bstrVal);
            system_.SysFreeString(value.bstrVal);
            object->Release();
        }
        EXPECT_EQ(returned, 0u);
        results->Release();
        return ids;
    }
};

TEST_F(WmiServicesTest, QueryFindsGamesOfBothScopesByPathWithoutRegardToCase) {
    AddGame(L"C:\\Games\\Demo\\demo.exe", GIS_ALL_USERS, kAllUsersGame);
    AddGame(L"C:\\Games\\Demo\\demo.exe", GIS_CURRENT_USER, kUserGame);
    AddGame(L"C:\\Games\\Other\\other.exe", GIS_ALL_USERS, GUID_NULL);
    std::vector<std::wstring> expected = {L"{AAAAAAAA-1111-4222-8300-000000000001}",
                                          L"{BBBBBBBB-1111-4222-8300-000000000002}"};
    EXPECT_EQ(
        Query(L"SELECT * FROM GAME WHERE GDFBinaryPath = \"c:\\\\games\\\\DEMO\\\\demo.EXE\""),
        expected);
}

TEST_F(WmiServicesTest, QueryForAPathNoGameHasYieldsNothing) {
    AddGame(L"C:\\Games\\Demo\\demo.exe", GIS_ALL_USERS, kAllUsersGame);
    EXPECT_TRUE(
        Query(L"SELECT * FROM GAME WHERE GDFBinaryPath = \"C:\\\\Games\\\\demo.exe\"").empty());
}

TEST_F(WmiServicesTest, AnyOtherQueryIsInvalid) {
    std::wstring invalid =
        L"failed " + std::to_wstring(static_cast<unsigned>(WBEM_E_INVALID_QUERY));
    EXPECT_EQ(Query(L"SELECT * FROM GAME"), std::vector<std::wstring>{invalid});
    EXPECT_EQ(Query(L"SELECT * FROM GAME WHERE GDFBinaryPath = \"C:\\\\Games"),
              std::vector<std::wstring>{invalid});
}

TEST_F(WmiServicesTest, PropertiesOtherThanTheGamesAreNotFound) {
    AddGame(L"C:\\g.exe", GIS_CURRENT_USER, kUserGame);
    IWbemServices* services = nullptr;
    ASSERT_EQ(Connect(L"root\\cimv2\\Applications\\Games", &services), S_OK);
    BSTR language = system_.SysAllocString(L"WQL");
    BSTR query =
        system_.SysAllocString(L"SELECT * FROM GAME WHERE GDFBinaryPath = \"C:\\\\g.exe\"");
    IEnumWbemClassObject* results = nullptr;
    ASSERT_EQ(services->ExecQuery(language, query, 0x30, nullptr, &results), S_OK);
    IWbemClassObject* objects[2] = {};
    ULONG returned = 0;
    EXPECT_EQ(results->Next(0, 2, objects, &returned), WBEM_S_FALSE);
    ASSERT_EQ(returned, 1u);
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(objects[0]->Get(L"Title", 0, &value, nullptr, nullptr), WBEM_E_NOT_FOUND);
    EXPECT_EQ(objects[0]->Get(L"InstallScope", 0, &value, nullptr, nullptr), S_OK);
    EXPECT_EQ(value.vt, VT_I4);
    EXPECT_EQ(value.lVal, GIS_CURRENT_USER);
    objects[0]->Release();
    results->Release();
    system_.SysFreeString(query);
    system_.SysFreeString(language);
    services->Release();
}

TEST_F(WmiServicesTest, OtherNamespacesDoNotExist) {
    IWbemServices* services = reinterpret_cast<IWbemServices*>(1);
    EXPECT_EQ(Connect(L"\\\\.\\root\\cimv2", &services), WBEM_E_INVALID_NAMESPACE);
    EXPECT_EQ(services, nullptr);
}

TEST_F(WmiServicesTest, GamesNamespaceIsAbsentWithoutGameExplorer) {
    RemoveGameExplorer();
    IWbemServices* services = nullptr;
    EXPECT_EQ(Connect(kGamesNamespace, &services), WBEM_E_INVALID_NAMESPACE);
    EXPECT_EQ(services, nullptr);
}

}  // namespace
