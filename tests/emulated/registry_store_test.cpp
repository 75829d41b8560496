#include "emulated/registry/registry_store.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "emulated/base/utf16.h"
#include "emulated/base/win32_codes.h"
#include "emulated/com/game_explorer_class.h"
#include "emulated/host/host_files.h"
#include "emulated/run_state/system_creation.h"
#include "emulated_test_support.h"

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

// A store keeps the tree it read last. Whatever another run changed and whichever file call of a
// change failed, it must read what a store that keeps nothing reads.
TEST_F(RegistryStoreTest, KeptTreeAlwaysReadsAsTheFileDoes) {
    RegistryStore keeping = NewStore();
    ASSERT_EQ(AddKey(keeping, L"One"), ERROR_SUCCESS);
    RegistryStore other = NewStore();
    ASSERT_EQ(AddKey(other, L"Two"), ERROR_SUCCESS);
    EXPECT_EQ(TestKeyCount(keeping), 2u);

    for (std::uint64_t n = 1;; ++n) {
        SCOPED_TRACE("failing file call " + std::to_string(n));
        FailHostFileCall(n, EIO);
        AddKey(keeping, L"Key" + std::to_wstring(n));
        const bool failed = HostFileCallCount() >= n;
        FailHostFileCall(0, 0);
        RegistryStore fresh = NewStore();
        EXPECT_EQ(TestKeyCount(keeping), TestKeyCount(fresh));
        if (!failed) {
            break;
        }
    }
}

// A store keeps its tree while the file looks unchanged. Another run's change must show even when
// it leaves the file exactly as large and as old as before, and so must a change made in place.
TEST_F(RegistryStoreTest, KeptTreeSeesEveryChangeOfTheFile) {
    RegistryStore keeping = NewStore();
    ASSERT_EQ(AddKey(keeping, L"One"), ERROR_SUCCESS);
    ASSERT_EQ(TestKeyCount(keeping), 1u);
    const std::filesystem::path file = keeping.HiveFile(Hive::LocalMachine);
    const auto size = std::filesystem::file_size(file);
    const auto modified = std::filesystem::last_write_time(file);

    RegistryStore other = NewStore();
    ASSERT_EQ(other.Update(Hive::LocalMachine,
                           [](RegistryNode& root, bool& changed) {
                               RegistryNode* test = FindKey(root, {L"Software", L"Test"});
                               test->Remove(L"One");
                               test->Create(L"Two", changed);
                               return ERROR_SUCCESS;
                           }),
              ERROR_SUCCESS);
    std::filesystem::last_write_time(file, modified);
    ASSERT_EQ(std::filesystem::file_size(file), size);
    bool foundTwo = false;
    keeping.Read(Hive::LocalMachine, [&](const RegistryNode& root) {
        foundTwo = FindKey(root, {L"Software", L"Test", L"Two"}) != nullptr;
    });
    EXPECT_TRUE(foundTwo);

    std::string edited = ReadBytes(file);
    edited += ToUtf16Le(L"[HKEY_LOCAL_MACHINE\\Software\\Test\\X]\r\n");
    WriteBytes(file, edited);
    EXPECT_EQ(TestKeyCount(keeping), 2u);
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

TEST_F(RegistryStoreTest, LeftoverTemporaryFilesNeitherBlockAChangeNorStay) {
    NewStore();
    std::filesystem::path registry = system_.Path() / "registry";
    // What a killed run left: once named by process id, which is the same for every run in a
    // container, and now by a random suffix.
    WriteBytes(registry / "HKEY_LOCAL_MACHINE.reg.tmp-1-0", "partial");
    WriteBytes(registry / "HKEY_CURRENT_USER.reg.tmp-k3j9x0a1b2c4", "partial");
    RegistryStore store = NewStore();
    EXPECT_EQ(AddKey(store, L"One"), ERROR_SUCCESS);
    EXPECT_EQ(TemporaryFilesBelow(system_.Path()), std::vector<std::filesystem::path>{});
}

TEST_F(RegistryStoreTest, ChangeKeepsThePermissionsOfTheFile) {
    RegistryStore store = NewStore();
    std::filesystem::path file = store.HiveFile(Hive::LocalMachine);
    std::filesystem::permissions(
        file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_EQ(AddKey(store, L"One"), ERROR_SUCCESS);
    EXPECT_EQ(std::filesystem::status(file).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

struct HostileHiveCase {
    const char* name;
    std::function<std::string()> bytes;  // made on demand: some are large
};

void PrintTo(const HostileHiveCase& hive, std::ostream* out) {
    *out << hive.name;
}

std::string HiveBytes(const std::wstring& body) {
    return "\xFF\xFE" + ToUtf16Le(L"Windows Registry Editor Version 5.00\r\n\r\n" + body);
}

std::wstring NestedKeyLine(std::size_t levels, const std::wstring& name) {
    std::wstring line = L"[HKEY_LOCAL_MACHINE";
    for (std::size_t level = 0; level < levels; ++level) {
        line += L"\\" + name;
    }
    return line + L"]\r\n";
}

class RegistryStoreHostileHiveTest : public RegistryStoreTest,
                                     public testing::WithParamInterface<HostileHiveCase> {};

// A change would crash, or make the file too large to be read again: it is refused instead.
TEST_P(RegistryStoreHostileHiveTest, IsRefusedAsInvalidDataAndLeftUntouched) {
    RegistryStore store = NewStore();
    std::filesystem::path file = store.HiveFile(Hive::LocalMachine);
    std::string hostile = GetParam().bytes();
    WriteBytes(file, hostile);
    EXPECT_EQ(AddKey(store, L"One"), ERROR_INVALID_DATA);
    EXPECT_TRUE(ReadBytes(file) == hostile);
}

INSTANTIATE_TEST_SUITE_P(
    Hives, RegistryStoreHostileHiveTest,
    testing::Values(
        HostileHiveCase{"FiftyThousandLevelsDeep",
                        [] { return HiveBytes(NestedKeyLine(50000, L"k")); }},
        HostileHiveCase{"LargerThan64MiB",
                        [] {
                            std::string bytes = HiveBytes(L";");
                            bytes.resize(64 * 1024 * 1024 + 2, ' ');
                            return bytes;
                        }},
        // 262 KB that would be written as 67 MB: each key repeats the path of its parent.
        HostileHiveCase{"LongNamesAtTheDepthLimit",
                        [] { return HiveBytes(NestedKeyLine(512, std::wstring(255, L'n'))); }}),
    [](const auto& hiveCase) { return std::string(hiveCase.param.name); });

TEST(RegistryStoreWithoutSystemTest, FailsWithTheFailureToCreateTheSystem) {
    const SystemLayout nowhere{std::filesystem::path()};
    const LONG created = CreateSystem(nowhere, {L"me", L"S-1"});
    EXPECT_EQ(created, ERROR_ENVVAR_NOT_FOUND);
    RegistryStore store(nowhere, created);
    EXPECT_EQ(store.Read(Hive::CurrentUser, [](const RegistryNode&) {}), ERROR_ENVVAR_NOT_FOUND);
}

}  // namespace
