#include "emulated/shell/shell_link.h"

#include "emulated/base/win32_codes.h"
#include "emulated_system_fixture.h"
#include "platform/gameux.h"

namespace {

class ShellLinkTest : public EmulatedSystemTest {
  protected:
    void SetUp() override {
        EmulatedSystemTest::SetUp();
        wchar_t common[MAX_PATH];
        ASSERT_EQ(system_.SHGetFolderPathW(CSIDL_COMMON_APPDATA, SHGFP_TYPE_CURRENT, common), S_OK);
        programData_ = folder_.Path() / "drive_c" / "ProgramData";
    }

    // Creates a link with these settings (null: not set) and saves it to fileName.
    HRESULT SaveLink(const wchar_t* target, const wchar_t* arguments, const wchar_t* directory,
                     const wchar_t* fileName) {
        IShellLinkW* link = Create<IShellLinkW>(CLSID_ShellLink, IID_IShellLinkW);
        if (target != nullptr) {
            EXPECT_EQ(link->SetPath(target), S_OK);
        }
        if (arguments != nullptr) {
            EXPECT_EQ(link->SetArguments(arguments), S_OK);
        }
        if (directory != nullptr) {
            EXPECT_EQ(link->SetWorkingDirectory(directory), S_OK);
        }
        IPersistFile* file = nullptr;
        HRESULT hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        EXPECT_EQ(hr, S_OK);
        if (SUCCEEDED(hr)) {
            hr = file->Save(fileName, TRUE);
            file->Release();
        }
        link->Release();
        return hr;
    }

    std::filesystem::path programData_;
};

TEST_F(ShellLinkTest, SavedLinkShowsTargetWorkingFolderAndArgumentsInLnkinfo) {
    ASSERT_EQ(SaveLink(L"C:\\Games\\Demo\\demo.exe", L"-windowed \"two words\"",
                       L"C:\\Games\\Demo\\", L"C:\\ProgramData\\Play.lnk"),
              S_OK);
    std::filesystem::path file = programData_ / "Play.lnk";
    EXPECT_EQ(LnkInfoField(file, "Local path"), "C:\\Games\\Demo\\demo.exe");
    EXPECT_EQ(LnkInfoField(file, "Working directory"), "C:\\Games\\Demo\\");
    EXPECT_EQ(LnkInfoField(file, "Command line arguments"), "-windowed \"two words\"");
}

TEST_F(ShellLinkTest, LinkWithoutArgumentsHasNone) {
    ASSERT_EQ(SaveLink(L"C:\\Games\\demo.exe", nullptr, L"C:\\Games\\", L"C:\\ProgramData\\a.lnk"),
              S_OK);
    EXPECT_EQ(LnkInfoField(programData_ / "a.lnk", "Local path"), "C:\\Games\\demo.exe");
    EXPECT_EQ(LnkInfoField(programData_ / "a.lnk", "Command line arguments"), "<absent>");
}

TEST_F(ShellLinkTest, RelativeTargetIsRecordedWithItsFullPathOnDriveZ) {
    TemporaryFolder work;
    CurrentFolderScope scope(work.Path());
    ASSERT_EQ(SaveLink(L"bin\\demo.exe", nullptr, nullptr, L"C:\\ProgramData\\r.lnk"), S_OK);
    std::string expected =
        "Z:" + std::filesystem::canonical(work.Path()).string() + "/bin/demo.exe";
    for (char& c : expected) {
        c = c == '/' ? '\\' : c;
    }
    EXPECT_EQ(LnkInfoField(programData_ / "r.lnk", "Local path"), expected);
}

TEST_F(ShellLinkTest, SavingAgainReplacesTheFileAndLeavesNoTemporaryFile) {
    ASSERT_EQ(SaveLink(L"C:\\old.exe", L"-old", nullptr, L"C:\\ProgramData\\same.lnk"), S_OK);
    ASSERT_EQ(SaveLink(L"C:\\new.exe", nullptr, nullptr, L"C:\\programdata\\SAME.lnk"), S_OK);
    EXPECT_EQ(LnkInfoField(programData_ / "same.lnk", "Local path"), "C:\\new.exe");
    EXPECT_EQ(LnkInfoField(programData_ / "same.lnk", "Command line arguments"), "<absent>");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(programData_)) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
}

TEST_F(ShellLinkTest, SaveFailsWhereWindowsWould) {
    EXPECT_EQ(SaveLink(L"C:\\a.exe", nullptr, nullptr, L"C:\\ProgramData\\Missing\\a.lnk"),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(SaveLink(L"C:\\a.exe", nullptr, nullptr, L"C:\\ProgramData\\what?.lnk"),
              HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    EXPECT_EQ(SaveLink(L"C:\\a.exe", nullptr, nullptr, L"D:\\a.lnk"),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    std::wstring tooLong = L"C:\\ProgramData\\" + std::wstring(250, L'n') + L".lnk";
    EXPECT_EQ(SaveLink(L"C:\\a.exe", nullptr, nullptr, tooLong.c_str()),
              HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
}

TEST_F(ShellLinkTest, OffersItsTwoInterfacesAndNoOther) {
    IShellLinkW* link = Create<IShellLinkW>(CLSID_ShellLink, IID_IShellLinkW);
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(link->QueryInterface(IID_IGameExplorer, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(link->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown->Release(), 1u);
    link->Release();
}

}  // namespace
