#include "emulated/gameux/game_explorer.h"

#include <optional>

#include "emulated/base/win32_codes.h"
#include "emulated_system_fixture.h"
#include "support/demo_game.h"

namespace {

constexpr GUID kGiven = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};

class GameExplorerTest : public EmulatedSystemTest {
  protected:
    HRESULT Add(const wchar_t* path, const wchar_t* folder, GAME_INSTALL_SCOPE scope, GUID* id) {
        IGameExplorer* explorer = Create<IGameExplorer>(CLSID_GameExplorer, IID_IGameExplorer);
        if (explorer == nullptr) {
            return E_FAIL;
        }
        BSTR binary = system_.SysAllocString(path);
        BSTR install = system_.SysAllocString(folder);
        HRESULT hr = explorer->AddGame(binary, install, scope, id);
        system_.SysFreeString(binary);
        system_.SysFreeString(install);
        explorer->Release();
        return hr;
    }

    HRESULT Remove(REFGUID id) {
        IGameExplorer* explorer = Create<IGameExplorer>(CLSID_GameExplorer, IID_IGameExplorer);
        HRESULT hr = explorer->RemoveGame(id);
        explorer->Release();
        return hr;
    }
};

TEST_F(GameExplorerTest, VerifyAccessGrants) {
    IGameExplorer* explorer = Create<IGameExplorer>(CLSID_GameExplorer, IID_IGameExplorer);
    BSTR path = system_.SysAllocString(L"C:\\Games\\demo.exe");
    BOOL access = FALSE;
    EXPECT_EQ(explorer->VerifyAccess(path, &access), S_OK);
    EXPECT_EQ(access, TRUE);
    system_.SysFreeString(path);
    explorer->Release();
}

TEST_F(GameExplorerTest, AddGameForAllUsersCreatesARandomGuidAndRecordsPathsAndDefinition) {
    InstallDemoGame(folder_.Path(), "C:\\Games\\Demo\\demo.exe");
    GUID id = GUID_NULL;
    ASSERT_EQ(Add(L"C:\\Games\\Demo\\demo.exe", L"C:\\Games\\Demo", GIS_ALL_USERS, &id), S_OK);
    EXPECT_FALSE(IsEqualGUID(id, GUID_NULL));
    EXPECT_EQ(id.Data3 >> 12, 4);
    wchar_t text[CHARS_IN_GUID];
    StringFromGUID2(id, text, CHARS_IN_GUID);
    std::string key =
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\"
        "Games\\" +
        std::string(text, text + 38) +
        "]\r\n"
        "\"ConfigGDFBinaryPath\"=\"C:\\\\Games\\\\Demo\\\\demo.exe\"\r\n"
        "\"ConfigApplicationPath\"=\"C:\\\\Games\\\\Demo\"\r\n"
        "\"ApplicationId\"=\"{CE65F153-02FC-41DD-A0DB-625FAD2F1EE5}\"\r\n"
        "\"Title\"=\"Brackenfold Demo Game\"\r\n"
        "\"Description\"=\"A game that exists only to be registered by Brackenfold's examples and "
        "tests.\"\r\n\r\n";
    EXPECT_NE(HiveText("HKEY_LOCAL_MACHINE.reg").find(key), std::string::npos);
}

TEST_F(GameExplorerTest, AddGameForTheCurrentUserKeepsAGivenGuidUnderTheUsersId) {
    InstallDemoGame(folder_.Path(), "C:\\g.exe");
    GUID id = kGiven;
    ASSERT_EQ(Add(L"C:\\g.exe", L"C:", GIS_CURRENT_USER, &id), S_OK);
    EXPECT_TRUE(IsEqualGUID(id, kGiven));
    EXPECT_NE(HiveText("HKEY_LOCAL_MACHINE.reg")
                  .find("GameUX\\S-1-5-21-0-0-0-1000\\{12345678-9ABC-DEF0-0102-030405060708}]"),
              std::string::npos);
}

TEST_F(GameExplorerTest, AddGameRejectsOtherScopes) {
    InstallDemoGame(folder_.Path(), "C:\\g.exe");
    GUID id = GUID_NULL;
    EXPECT_EQ(Add(L"C:\\g.exe", L"C:", GIS_NOT_INSTALLED, &id), E_INVALIDARG);
    EXPECT_TRUE(IsEqualGUID(id, GUID_NULL));
}

// What Wine's Game Explorer returns for each of these binaries, except that it adds the games
// of the last two rows (with an all-zero ApplicationId and an empty Title).
TEST_F(GameExplorerTest, AddGameRefusesBinariesWithoutAUsableDefinitionAndRecordsNothing) {
    const std::string& definition = DemoGameDefinition();
    auto without = [&](const std::string& part) {
        std::string changed = definition;
        return changed.erase(changed.find(part), part.size());
    };
    std::string noResource = DemoGame();
    const std::string name("_\0_\0G\0D\0F\0_\0X\0M\0L\0", 18);
    noResource.replace(noResource.find(name), name.size(),
                       std::string("_\0_\0G\0D\0F\0_\0X\0M\0X\0", 18));
    const struct {
        const char* name;
        std::optional<std::string> binary;  // none: no file at all
        HRESULT result;
    } cases[] = {
        {"missing file", std::nullopt, E_FAIL},
        {"no definition resource", noResource, E_FAIL},
        {"malformed document", DemoGameWithDefinition(definition.substr(0, 150)), E_FAIL},
        {"truncated binary", DemoGame().substr(0, DemoGame().size() / 2), E_FAIL},
        {"gameID not a GUID",
         DemoGameWithDefinition(without("CE65F153-02FC-41DD-A0DB-625FAD2F1EE5")), CO_E_CLASSSTRING},
        {"missing gameID",
         DemoGameWithDefinition(without(" gameID=\"{CE65F153-02FC-41DD-A0DB-625FAD2F1EE5}\"")),
         E_FAIL},
        {"empty Name", DemoGameWithDefinition(without("Brackenfold Demo Game")), E_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.binary) {
            InstallDemoGame(folder_.Path(), "C:\\Games\\game.exe", *c.binary);
        }
        GUID id = GUID_NULL;
        EXPECT_EQ(Add(L"C:\\Games\\game.exe", L"C:\\Games", GIS_ALL_USERS, &id), c.result);
        EXPECT_TRUE(IsEqualGUID(id, GUID_NULL));
        EXPECT_EQ(HiveText("HKEY_LOCAL_MACHINE.reg").find("game.exe"), std::string::npos);
    }
}

TEST_F(GameExplorerTest, RemoveGameRemovesTheRecordOfEitherScopeAndFailsForUnknownGuids) {
    InstallDemoGame(folder_.Path(), "C:\\g.exe");
    GUID id = kGiven;
    ASSERT_EQ(Add(L"C:\\g.exe", L"C:", GIS_CURRENT_USER, &id), S_OK);
    EXPECT_EQ(Remove(kGiven), S_OK);
    EXPECT_EQ(HiveText("HKEY_LOCAL_MACHINE.reg").find("{12345678-"), std::string::npos);
    EXPECT_EQ(Remove(kGiven), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

TEST_F(GameExplorerTest, IsAbsentOnceItsClassKeyIsDeleted) {
    RemoveGameExplorer();
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(system_.CoCreateInstance(CLSID_GameExplorer, IID_IGameExplorer, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
}

// Failing creation would say "no Game Explorer" and send the caller to the upgrade keys.
TEST_F(GameExplorerTest, CorruptedRegistryMakesEveryCallFailWithInvalidData) {
    Create<IGameExplorer>(CLSID_GameExplorer, IID_IGameExplorer)->Release();
    WriteBytes(folder_.Path() / "registry" / "HKEY_LOCAL_MACHINE.reg", "\xFF\xFEgarbage!");
    auto* explorer = Create<IGameExplorer>(CLSID_GameExplorer, IID_IGameExplorer);
    ASSERT_NE(explorer, nullptr);
    BOOL access = FALSE;
    EXPECT_EQ(explorer->VerifyAccess(nullptr, &access), HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
    EXPECT_EQ(explorer->RemoveGame(GUID_NULL), HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
    explorer->Release();
}

}  // namespace
