#include <gtest/gtest.h>

#include "registration/game_binary_check.h"
#include "registration/game_registration.h"
#include "support/scripted_system.h"

namespace {

const std::wstring kExe = L"C:\\Games\\Demo\\demo.exe";

struct CauseCase {
    const char* name;
    void (*arrange)(SystemScript&);
    HRESULT registration;  // what the registration failed with
    HRESULT cause;         // what is reported
};

void SoundBinary(SystemScript& script) {
    script.fileAttributes[kExe] = FILE_ATTRIBUTE_ARCHIVE;
}

// The causes themselves, each from the loader, are pinned by the process tests on the emulated
// system; these cases pin which cause is reported and that the binary is let go again.
const CauseCase kCauseCases[] = {
    {"NotAnExecutable",
     [](SystemScript& s) {
         SoundBinary(s);
         s.loadLibraryError = ERROR_BAD_EXE_FORMAT;
     },
     E_FAIL, HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT)},
    {"NoDefinitionResource",
     [](SystemScript& s) {
         SoundBinary(s);
         s.findResourceError = ERROR_RESOURCE_NAME_NOT_FOUND;
     },
     E_FAIL, HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND)},
    // A binary that carries its definition leaves the registration's own failure to be told.
    {"SoundBinaryKeepsTheRegistrationsFailure", SoundBinary, E_ACCESSDENIED, E_ACCESSDENIED},
};

class RegistrationFailureCauseTest : public testing::TestWithParam<CauseCase> {};

// Game Explorer refuses the game (AddGame fails): RegisterGame says why.
TEST_P(RegistrationFailureCauseTest, NamesTheBinarysFaultWhenItHasOne) {
    ScriptedSystem system;
    GetParam().arrange(system.script);
    system.script.addGame = GetParam().registration;
    GUID gameId = GUID_NULL;
    EXPECT_EQ(RegisterGame(kExe.c_str(), L"C:\\Games\\Demo", GIS_ALL_USERS, &gameId),
              GetParam().cause);
    // Loaded as Game Explorer loads it, as a data file only (not also as an image resource,
    // which refuses images Game Explorer reads), and freed again.
    for (const std::string& load : system.CallsStartingWith("LoadLibraryExW")) {
        EXPECT_EQ(load, "LoadLibraryExW " + LogText(kExe.c_str()) + " 2");
    }
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, RegistrationFailureCauseTest, testing::ValuesIn(kCauseCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
