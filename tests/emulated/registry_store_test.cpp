#include "registry_store.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "emulated_test_support.h"
#include "game_explorer_class.h"
#include "system_creation.h"

namespace {

class RegistryStoreTest : public testing::Test {
  protected:
    // A store on the system, created first as opening the system does.
    RegistryStore NewStore() const {
        const SystemLayout layout{system_.Path()};
        return RegistryStore(layout, CreateSystem(layout, {L"me", L"S-1"}));
    }

    // Adds a key of that name below HKLM\Software\Test in its own update.
    static LONG AddKey(RegistryStore& store, const std::wstring& name) {
        return store.Update(Hive::LocalMachine, [&](RegistryNode& root, bool& changed) {
            bool created = false;
            root.Create(L"Software", created).Create(L"Test", created).Create(name, created);
            changed = true;
            return ERROR_SUCCESS;
        });
    }

    static std::size_t TestKeyCount(RegistryStore& store) {
        std::size_t count = 0;
        store.Read(Hive::LocalMachine, [&](const RegistryNode& root) {
            if (const RegistryNode* test = FindKey(root, {L"Software", L"Test"})) {
                count = test->Children().size();
            }
        });
        return count;
    }

    TemporaryFolder system_;
};

TEST_F(RegistryStoreTest, CreatedSystemHasItsFoldersAndGameExplorerRegistered) {
    RegistryStore store = NewStore();
    EXPECT_EQ(GameExplorerRegistration(store), S_OK);
    EXPECT_TRUE(std::filesystem::is_directory(system_.Path() / "drive_c/ProgramData"));
    EXPECT_TRUE(std::filesystem::is_directory(system_.Path() / "drive_c/Users/me/AppData/Local"));
    EXPECT_TRUE(std::filesystem::exists(store.HiveFile(Hive::CurrentUser)));
    EXPECT_EQ(store.HiveFile(Hive::LocalMachine),
              system_.Path() / "registry" / "HKEY_LOCAL_MACHINE.reg");
    EXPECT_NE(Utf16FileAsText(store.HiveFile(Hive::LocalMachine))
                  .find("[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\"
                        "{9A5EA990-3034-4D6F-9128-01F3C61022BC}]"),
              std::string::npos);
}

TEST_F(RegistryStoreTest, DeletedClassKeyMeansNoGameExplorerAndStaysDeleted) {
    RegistryStore store = NewStore();
    ASSERT_EQ(store.Update(Hive::LocalMachine,
                           [](RegistryNode& root, bool& changed) {
                               changed = FindKey(root, {L"Software", L"Classes"})->Remove(L"CLSID");
                               return ERROR_SUCCESS;
                           }),
              ERROR_SUCCESS);
    EXPECT_EQ(GameExplorerRegistration(store), REGDB_E_CLASSNOTREG);
    RegistryStore later = NewStore();
    EXPECT_EQ(GameExplorerRegistration(later), REGDB_E_CLASSNOTREG);
}

TEST_F(RegistryStoreTest, ChangesPersistAndLeaveNoTemporaryFiles) {
    RegistryStore store = NewStore();
    ASSERT_EQ(AddKey(store, L"One"), ERROR_SUCCESS);
    RegistryStore other = NewStore();
    EXPECT_EQ(TestKeyCount(other), 1u);
    for (const auto& entry : std::filesystem::directory_iterator(system_.Path() / "registry")) {
        EXPECT_EQ(entry.path().extension(), ".reg") << entry.path();
    }
}

TEST_F(RegistryStoreTest, CorruptedHiveFailsEveryOperationAndIsLeftUnchanged) {
    RegistryStore store = NewStore();
    ASSERT_EQ(AddKey(store, L"Kept"), ERROR_SUCCESS);
    std::filesystem::path file = store.HiveFile(Hive::LocalMachine);
    std::string corrupted = ReadBytes(file).substr(0, 41) + "\x01";  // cut inside the header line
    WriteBytes(file, corrupted);

    RegistryStore fresh = NewStore();
    bool readCalled = false;
    EXPECT_EQ(fresh.Read(Hive::LocalMachine, [&](const RegistryNode&) { readCalled = true; }),
              ERROR_INVALID_DATA);
    EXPECT_FALSE(readCalled);
    EXPECT_EQ(AddKey(fresh, L"Lost"), ERROR_INVALID_DATA);
    EXPECT_EQ(GameExplorerRegistration(fresh), HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
    EXPECT_EQ(ReadBytes(file), corrupted);
    // The other hive is not affected.
    EXPECT_EQ(fresh.Read(Hive::CurrentUser, [](const RegistryNode&) {}), ERROR_SUCCESS);
}

TEST_F(RegistryStoreTest, ConcurrentProcessesLoseNoChange) {
    constexpr int kProcesses = 4;
    constexpr int kKeysEach = 15;
    NewStore();
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RegistryStore store = NewStore();
            for (int k = 0; k < kKeysEach; ++k) {
                if (AddKey(store, L"P" + std::to_wstring(p) + L"K" + std::to_wstring(k)) !=
                    ERROR_SUCCESS) {
                    ::_exit(1);
                }
            }
            ::_exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    RegistryStore store = NewStore();
    EXPECT_EQ(TestKeyCount(store), static_cast<std::size_t>(kProcesses * kKeysEach));
}

TEST(RegistryStoreWithoutSystemTest, FailsWithTheFailureToCreateTheSystem) {
    const SystemLayout nowhere{std::filesystem::path()};
    const LONG created = CreateSystem(nowhere, {L"me", L"S-1"});
    EXPECT_EQ(created, ERROR_PATH_NOT_FOUND);
    RegistryStore store(nowhere, created);
    EXPECT_EQ(store.Read(Hive::CurrentUser, [](const RegistryNode&) {}), ERROR_PATH_NOT_FOUND);
}

}  // namespace
