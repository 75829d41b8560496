#include <gtest/gtest.h>

#include "registration/game_binary_check.h"
#include "registration/game_registration.h"
#include "support/faulting_system.h"

namespace {

const std::wstring kExe = L"C:\\Games\\Demo\\demo.exe";

struct CauseCase {
    const char* name;
    std::string binary;       // what lies at kExe
    const char* failingCall;  // a call made to fail besides Game Explorer's AddGame
    long failure;             // with this
    HRESULT cause;            // what is reported
};

// Game Explorer refuses a binary that is no executable itself; the other causes are pinned by
// the process tests on the emulated system, and these cases pin which cause is reported.
const CauseCase kCauseCases[] = {
    {"NotAnExecutable", "MZ but nothing more", nullptr, 0,
     HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT)},
    {"NoDefinitionResource", DemoGame(), "FindResourceW", ERROR_RESOURCE_NAME_NOT_FOUND,
     HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND)},
    // A binary that carries its definition leaves the registration's own failure to be told.
    {"SoundBinaryKeepsTheRegistrationsFailure", DemoGame(), "IGameExplorer::AddGame",
     E_ACCESSDENIED, E_ACCESSDENIED},
};

class RegistrationFailureCauseTest : public testing::TestWithParam<CauseCase> {};

// Game Explorer refuses the game: RegisterGame says why.
TEST_P(RegistrationFailureCauseTest, NamesTheBinarysFaultWhenItHasOne) {
    const CauseCase& c = GetParam();
    FaultingSystem system;
    system.PutFile(kExe, c.binary);
    system.Fail("IGameExplorer::AddGame", E_FAIL);
    if (c.failingCall != nullptr) {
        system.Fail(c.failingCall, c.failure);
    }
    const GUID gameId = {
        0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
    EXPECT_EQ(RegisterGame(kExe.c_str(), L"C:\\Games\\Demo", GIS_ALL_USERS, gameId), c.cause);
    // Loaded as Game Explorer loads it, as a data file only (not also as an image resource,
    // which refuses images Game Explorer reads), and freed again.
    for (const std::string& load : system.CallsStartingWith("LoadLibraryExW")) {
        EXPECT_EQ(load, "LoadLibraryExW " + LogText(kExe.c_str()) + " 0x2");
    }
    EXPECT_TRUE(system.AccountsBalance());
}

INSTANTIATE_TEST_SUITE_P(Cases, RegistrationFailureCauseTest, testing::ValuesIn(kCauseCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
