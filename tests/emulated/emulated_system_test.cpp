#include "emulated/emulated_system.h"

#include <cstdlib>
#include <optional>
#include <set>

#include "emulated/base/win32_codes.h"
#include "emulated_system_fixture.h"
#include "platform/gameux.h"

namespace {

TEST_F(EmulatedSystemTest, CoInitializeCountsAndCreationNeedsIt) {
    EXPECT_EQ(system_.CoInitialize(), S_FALSE);
    system_.CoUninitialize();
    system_.CoUninitialize();
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(system_.CoCreateInstance(CLSID_ShellLink, IID_IShellLinkW, &object),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(system_.CoInitialize(), S_OK);
}

TEST_F(EmulatedSystemTest, UnknownClassesAndInterfacesAreRefused) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(system_.CoCreateInstance(IID_IUnknown, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(system_.CoCreateInstance(CLSID_ShellLink, IID_IGameExplorer, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
}

TEST_F(EmulatedSystemTest, CoCreateGuidMakesDistinctVersion4Guids) {
    std::set<std::wstring> seen;
    for (int i = 0; i < 200; ++i) {
        GUID guid;
        ASSERT_EQ(system_.CoCreateGuid(&guid), S_OK);
        EXPECT_EQ(guid.Data3 >> 12, 4);
        EXPECT_EQ(guid.Data4[0] & 0xC0, 0x80);
        wchar_t text[CHARS_IN_GUID];
        StringFromGUID2(guid, text, CHARS_IN_GUID);
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST_F(EmulatedSystemTest, SpecialFoldersAreOnDriveCAndExistBeforeAnyQuery) {
    // Opening the system created it; asking for a folder has no side effect to rely on.
    EXPECT_EQ(system_.GetFileAttributesW(L"C:\\ProgramData"), FILE_ATTRIBUTE_DIRECTORY);
    wchar_t path[MAX_PATH];
    ASSERT_EQ(system_.SHGetFolderPathW(CSIDL_LOCAL_APPDATA, SHGFP_TYPE_CURRENT, path), S_OK);
    EXPECT_STREQ(path, L"C:\\Users\\player\\AppData\\Local");
    EXPECT_EQ(system_.GetFileAttributesW(path), FILE_ATTRIBUTE_DIRECTORY);
    ASSERT_EQ(system_.SHGetFolderPathW(CSIDL_COMMON_APPDATA | 0x8000, SHGFP_TYPE_CURRENT, path),
              S_OK);
    EXPECT_STREQ(path, L"C:\\ProgramData");
    EXPECT_EQ(system_.GetFileAttributesW(path), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(FAILED(system_.SHGetFolderPathW(0x05, SHGFP_TYPE_CURRENT, path)));
}

// Sets environment variables for one scope and restores them after it.
class EnvironmentScope {
  public:
    EnvironmentScope() {
        for (const char* name : {"XDG_DATA_HOME", "HOME"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(
                name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;
    ~EnvironmentScope() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// A run that holds a game's task lock for too long must not hold up another run for ever.
TEST_F(EmulatedSystemTest, TimedWaitForAMutexHeldElsewhereTimesOutThenOwnsItOnceReleased) {
    const HANDLE holder = system_.CreateMutexW(L"Global\\Held");
    const HANDLE waiter = system_.CreateMutexW(L"Global\\Held");
    ASSERT_NE(holder, nullptr);
    ASSERT_NE(waiter, nullptr);
    ASSERT_EQ(system_.WaitForSingleObject(holder, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(system_.WaitForSingleObject(waiter, 20), WAIT_TIMEOUT);
    EXPECT_EQ(system_.ReleaseMutex(waiter), FALSE);  // the timed-out wait owns nothing
    EXPECT_EQ(system_.ReleaseMutex(holder), TRUE);
    EXPECT_EQ(system_.WaitForSingleObject(waiter, 20), WAIT_OBJECT_0);
    EXPECT_EQ(system_.CloseHandle(holder), TRUE);
    EXPECT_EQ(system_.CloseHandle(waiter), TRUE);
}

TEST(EmulatedSystemLocationTest, LivesBelowXdgDataHomeOrTheHomeFolder) {
    EnvironmentScope restore;
    ::setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(SystemFolderFromEnvironment(),
              std::filesystem::path("/data/home/brackenfold/system"));
    ::setenv("XDG_DATA_HOME", "relative/ignored", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(SystemFolderFromEnvironment(),
              std::filesystem::path("/home/someone/.local/share/brackenfold/system"));
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("HOME");
    EXPECT_TRUE(SystemFolderFromEnvironment().empty());
}

TEST(EmulatedSystemWithoutFolderTest, FolderQueriesAndRegistryFail) {
    EmulatedSystem system(std::filesystem::path(), {L"player", L"S-1"});
    wchar_t path[MAX_PATH];
    EXPECT_TRUE(FAILED(system.SHGetFolderPathW(CSIDL_COMMON_APPDATA, SHGFP_TYPE_CURRENT, path)));
    HKEY key = nullptr;
    EXPECT_EQ(system.RegCreateKeyExW(HKEY_CURRENT_USER, L"Software", KEY_WRITE, &key, nullptr),
              ERROR_ENVVAR_NOT_FOUND);
}

}  // namespace
