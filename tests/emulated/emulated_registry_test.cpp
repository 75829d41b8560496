#include "emulated/registry/emulated_registry.h"

#include <gtest/gtest.h>

#include "emulated/base/win32_codes.h"
#include "emulated/run_state/system_creation.h"
#include "emulated_test_support.h"

namespace {

class EmulatedRegistryTest : public testing::Test {
  protected:
    std::string HiveText(Hive hive) const { return Utf16FileAsText(store_.HiveFile(hive)); }

    LSTATUS SetText(HKEY key, const wchar_t* name, const wchar_t* text) {
        auto bytes = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t));
        return registry_.SetValue(key, name, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
    }

    TemporaryFolder system_;
    SystemLayout layout_{system_.Path()};
    RegistryStore store_{layout_, CreateSystem(layout_, {L"me", L"S-1"})};
    EmulatedRegistry registry_{store_};
};

TEST_F(EmulatedRegistryTest, CreateKeyMakesMissingKeysThenOpensThemWhateverTheCase) {
    HKEY first = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(registry_.CreateKey(HKEY_CURRENT_USER, L"Software\\Game\\Sub", &first, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    HKEY second = nullptr;
    ASSERT_EQ(registry_.CreateKey(HKEY_CURRENT_USER, L"SOFTWARE\\game\\sub", &second, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_NE(first, second);
    EXPECT_NE(HiveText(Hive::CurrentUser).find("[HKEY_CURRENT_USER\\Software\\Game\\Sub]"),
              std::string::npos);
    EXPECT_EQ(registry_.CloseKey(first), ERROR_SUCCESS);
    EXPECT_EQ(registry_.CloseKey(second), ERROR_SUCCESS);
    EXPECT_EQ(registry_.Handles().OpenCount(), 0u);
}

TEST_F(EmulatedRegistryTest, SetValueWritesTheTextWithItsTerminatorAsRegSz) {
    HKEY key = nullptr;
    ASSERT_EQ(registry_.CreateKey(HKEY_LOCAL_MACHINE, L"Software\\G", &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(SetText(key, L"GDFBinaryPath", L"C:\\Games\\\"Demo\"\\demo.exe"), ERROR_SUCCESS);
    EXPECT_EQ(SetText(key, L"GameInstallPath", L""), ERROR_SUCCESS);
    registry_.CloseKey(key);
    EXPECT_NE(HiveText(Hive::LocalMachine)
                  .find("[HKEY_LOCAL_MACHINE\\Software\\G]\r\n"
                        "\"GDFBinaryPath\"=\"C:\\\\Games\\\\\\\"Demo\\\"\\\\demo.exe\"\r\n"
                        "\"GameInstallPath\"=\"\"\r\n"),
              std::string::npos);
}

TEST_F(EmulatedRegistryTest, ClosedOrUnknownHandlesAreInvalid) {
    HKEY key = nullptr;
    ASSERT_EQ(registry_.CreateKey(HKEY_CURRENT_USER, L"A", &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(registry_.CloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(registry_.CloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetText(key, L"x", L"y"), ERROR_INVALID_HANDLE);
    HKEY other = nullptr;
    EXPECT_EQ(registry_.CreateKey(key, L"B", &other, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(other, nullptr);
}

TEST_F(EmulatedRegistryTest, KeyPathsWithEmptyNamesAreRejected) {
    HKEY key = nullptr;
    EXPECT_EQ(registry_.CreateKey(HKEY_CURRENT_USER, L"\\A", &key, nullptr), ERROR_BAD_PATHNAME);
    EXPECT_EQ(registry_.CreateKey(HKEY_CURRENT_USER, L"A\\\\B", &key, nullptr), ERROR_BAD_PATHNAME);
    EXPECT_EQ(key, nullptr);
}

TEST_F(EmulatedRegistryTest, DeleteTreeRemovesTheKeyWithItsSubkeysAndReportsMissingKeys) {
    HKEY key = nullptr;
    ASSERT_EQ(registry_.CreateKey(HKEY_LOCAL_MACHINE, L"Software\\Up\\{G}\\Deep", &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(registry_.DeleteTree(HKEY_LOCAL_MACHINE, L"software\\UP\\{g}"), ERROR_SUCCESS);
    EXPECT_EQ(HiveText(Hive::LocalMachine).find("{G}"), std::string::npos);
    EXPECT_NE(HiveText(Hive::LocalMachine).find("[HKEY_LOCAL_MACHINE\\Software\\Up]"),
              std::string::npos);
    EXPECT_EQ(registry_.DeleteTree(HKEY_LOCAL_MACHINE, L"Software\\Up\\{G}"), ERROR_FILE_NOT_FOUND);
    // The handle still open on the deleted key finds it gone.
    EXPECT_EQ(SetText(key, L"x", L"y"), ERROR_KEY_DELETED);
    registry_.CloseKey(key);
}

TEST_F(EmulatedRegistryTest, OpenExistingKeyFindsOnlyKeysThatExistAndDeletesBelowThem) {
    HKEY created = nullptr;
    ASSERT_EQ(registry_.CreateKey(HKEY_CURRENT_USER, L"Up\\{G}\\Deep", &created, nullptr),
              ERROR_SUCCESS);
    registry_.CloseKey(created);
    HKEY missing = nullptr;
    EXPECT_EQ(registry_.OpenExistingKey(HKEY_CURRENT_USER, L"Down", &missing),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, nullptr);
    EXPECT_NE(HiveText(Hive::CurrentUser).find("Up"), std::string::npos);
    HKEY parent = nullptr;
    ASSERT_EQ(registry_.OpenExistingKey(HKEY_CURRENT_USER, L"UP", &parent), ERROR_SUCCESS);
    EXPECT_EQ(registry_.DeleteTree(parent, L"{g}"), ERROR_SUCCESS);
    EXPECT_EQ(registry_.DeleteTree(parent, L"{g}"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(HiveText(Hive::CurrentUser).find("{G}"), std::string::npos);
    registry_.CloseKey(parent);
    EXPECT_EQ(registry_.Handles().OpenCount(), 0u);
}

// Listing by index reads a list kept with the tree: it must follow every key added or removed.
TEST_F(EmulatedRegistryTest, EnumKeyListsSubkeysInNameOrderAsTheyAreNow) {
    HKEY parent = nullptr;
    ASSERT_EQ(registry_.CreateKey(HKEY_CURRENT_USER, L"P", &parent, nullptr), ERROR_SUCCESS);
    auto list = [&] {
        std::vector<std::wstring> names;
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD length = 256;
            const LSTATUS listed = registry_.EnumKey(parent, index, name, &length);
            if (listed != ERROR_SUCCESS) {
                EXPECT_EQ(listed, ERROR_NO_MORE_ITEMS);
                return names;
            }
            names.emplace_back(name, length);
        }
    };
    for (const wchar_t* name : {L"c", L"A", L"b"}) {
        HKEY child = nullptr;
        ASSERT_EQ(registry_.CreateKey(parent, name, &child, nullptr), ERROR_SUCCESS);
        registry_.CloseKey(child);
    }
    EXPECT_EQ(list(), (std::vector<std::wstring>{L"A", L"b", L"c"}));
    ASSERT_EQ(registry_.DeleteTree(parent, L"b"), ERROR_SUCCESS);
    EXPECT_EQ(list(), (std::vector<std::wstring>{L"A", L"c"}));
    HKEY added = nullptr;
    ASSERT_EQ(registry_.CreateKey(parent, L"B2", &added, nullptr), ERROR_SUCCESS);
    registry_.CloseKey(added);
    EXPECT_EQ(list(), (std::vector<std::wstring>{L"A", L"B2", L"c"}));
    registry_.CloseKey(parent);
}

TEST_F(EmulatedRegistryTest, ValuesAreSetThroughAnyHandleOnTheKey) {
    HKEY parent = nullptr;
    HKEY child = nullptr;
    ASSERT_EQ(registry_.CreateKey(HKEY_CURRENT_USER, L"P", &parent, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(registry_.CreateKey(parent, L"C", &child, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(SetText(child, nullptr, L"default"), ERROR_SUCCESS);
    EXPECT_NE(HiveText(Hive::CurrentUser).find("[HKEY_CURRENT_USER\\P\\C]\r\n@=\"default\""),
              std::string::npos);
    registry_.CloseKey(child);
    registry_.CloseKey(parent);
}

}  // namespace
