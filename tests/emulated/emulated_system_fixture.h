// A fresh emulated system in a temporary folder, for the tests of its COM objects.
#pragma once

#include <gtest/gtest.h>

#include "emulated/com/com_object.h"
#include "emulated/emulated_system.h"
#include "emulated_test_support.h"

class EmulatedSystemTest : public testing::Test {
  protected:
    void SetUp() override {
        liveObjectsBefore_ = ComObjectCount::Live();
        ASSERT_EQ(system_.CoInitialize(), S_OK);
    }
    void TearDown() override {
        system_.CoUninitialize();
        EXPECT_EQ(ComObjectCount::Live(), liveObjectsBefore_) << "a COM object was not released";
        EXPECT_EQ(system_.OpenKeyCount(), 0u) << "a registry key was not closed";
    }

    template <typename Interface>
    Interface* Create(REFCLSID clsid, REFIID iid) {
        void* object = nullptr;
        HRESULT hr = system_.CoCreateInstance(clsid, iid, &object);
        EXPECT_EQ(hr, S_OK);
        return static_cast<Interface*>(object);
    }

    std::string HiveText(const char* file) const {
        return Utf16FileAsText(folder_.Path() / "registry" / file);
    }

    // Deletes Game Explorer's class key, as a user would to try a system without it.
    void RemoveGameExplorer() {
        HKEY classes = nullptr;
        ASSERT_EQ(system_.RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", KEY_WRITE,
                                          &classes, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(system_.RegDeleteTreeW(classes, L"CLSID"), ERROR_SUCCESS);
        system_.RegCloseKey(classes);
    }

    TemporaryFolder folder_;
    EmulatedSystem system_{folder_.Path(), {L"player", L"S-1-5-21-0-0-0-1000"}};
    long liveObjectsBefore_ = 0;
};
