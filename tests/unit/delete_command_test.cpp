#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/commands.h"
#include "output/debug_streams.h"
#include "support/console_capture.h"
#include "support/debug_capture.h"
#include "support/expected_output.h"
#include "support/reason_codes.h"
#include "support/scripted_system.h"

namespace {

using testing::ElementsAre;

constexpr GUID kGameId = {
    0x11112222, 0x3333, 0x4444, {0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC}};
const std::wstring kGameIdText = L"{11112222-3333-4444-5566-778899AABBCC}";
const std::wstring kExe = L"C:\\Games\\Demo\\demo.exe";

class DeleteCommandTest : public testing::Test {
  protected:
    ~DeleteCommandTest() override { EXPECT_TRUE(system.AccountsBalance()); }

    void Run(const GUID& given) {
        CommandRequest request =
            ParseCommandLine({L"prog", L"-del", kExe, L"ignored extra"}).request;
        request.gameId = given;
        DebugCapture debug;
        ConsoleCapture console;
        outcome = RunDeleteCommand(request);
        out = console.Out();
        err = WithReasonCodesOnly(console.Err());
        debugOut = debug.Channel(kDebugOut);
        debugErr = WithReasonCodesOnly(debug.Channel(kDebugErr));
    }

    ScriptedSystem system;
    DeleteOutcome outcome;
    std::string out, err;
    std::vector<std::string> debugOut, debugErr;
};

TEST_F(DeleteCommandTest, WithoutGuidLooksItUpThenRemovesTasksAndGame) {
    system.script.wmiObjects = {{kGameIdText}};
    Run(GUID_NULL);
    EXPECT_EQ(out, RegistrationRemovedLines("C:\\Games\\Demo\\demo.exe"));
    EXPECT_EQ(err, "");
    EXPECT_THAT(debugOut,
                ElementsAre("Bin path: C:\\Games\\Demo\\demo.exe", "Retrieving GUID... ",
                            WithoutLineFeed(TasksRemovedLine("C:\\Games\\Demo\\demo.exe")),
                            WithoutLineFeed(RemovedLine("C:\\Games\\Demo\\demo.exe"))));
    EXPECT_TRUE(system.Called("IGameExplorer::RemoveGame {11112222-3333-4444-5566-778899AABBCC}"));
    EXPECT_EQ(outcome.registrationsRemoved, 1);
    EXPECT_FALSE(outcome.registrationLeft);
}

TEST_F(DeleteCommandTest, LookupFailureRemovesNothing) {
    Run(GUID_NULL);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, NotFoundLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0x80070490"));
    EXPECT_THAT(debugErr, ElementsAre(WithoutLineFeed(NotFoundLine("C:\\Games\\Demo\\demo.exe")),
                                      WithoutLineFeed(ReasonCode("0x80070490"))));
    EXPECT_FALSE(system.Called("SHFileOperationW"));
    EXPECT_FALSE(system.Called("IGameExplorer::RemoveGame"));
}

TEST_F(DeleteCommandTest, GivenGuidIsUsedWithoutLookup) {
    Run(kGameId);
    EXPECT_EQ(out, RegistrationRemovedLines("C:\\Games\\Demo\\demo.exe"));
    EXPECT_FALSE(system.Called("CoCreateInstance {4590F811"));
    EXPECT_THAT(debugOut, testing::Not(testing::Contains("Retrieving GUID... ")));
}

TEST_F(DeleteCommandTest, TaskRemovalFailureIsShownAndTheGameStillRemoved) {
    system.script.commonAppDataResult = E_FAIL;
    Run(kGameId);
    EXPECT_EQ(out, RemovedLine("C:\\Games\\Demo\\demo.exe"));
    EXPECT_EQ(err, TasksNotRemovedLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0x80004005"));
    EXPECT_THAT(debugErr,
                ElementsAre(WithoutLineFeed(TasksNotRemovedLine("C:\\Games\\Demo\\demo.exe")),
                            WithoutLineFeed(ReasonCode("0x80004005"))));
}

TEST_F(DeleteCommandTest, UnregisterFailureIsReported) {
    system.script.removeGame = E_FAIL;
    Run(kGameId);
    EXPECT_EQ(out, TasksRemovedLine("C:\\Games\\Demo\\demo.exe"));
    EXPECT_EQ(err, NotRemovedLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0x80004005"));
    EXPECT_THAT(debugErr, ElementsAre(WithoutLineFeed(NotRemovedLine("C:\\Games\\Demo\\demo.exe")),
                                      WithoutLineFeed(ReasonCode("0x80004005"))));
}

}  // namespace

namespace {

// Game Explorer reports success but keeps the record that the lookup finds the game by: asked a
// bounded number of times, then reported as not removed.
TEST_F(DeleteCommandTest, ARemovalThatLeavesItsRecordEndsWithAFailure) {
    system.script.connectServer = WBEM_E_INVALID_NAMESPACE;
    system.script.removeGameKeepsRecords = true;
    const auto* path = reinterpret_cast<const BYTE*>(kExe.c_str());
    system.Registry()
        [L"hklm\\software\\microsoft\\windows\\currentversion\\gameux\\games\\"
         L"{11112222-3333-4444-5566-778899aabbcc}"][L"ConfigGDFBinaryPath"] =
        std::vector<BYTE>(path, path + (kExe.size() + 1) * sizeof(wchar_t));
    Run(GUID_NULL);
    EXPECT_EQ(out, TasksRemovedLine("C:\\Games\\Demo\\demo.exe"));
    EXPECT_EQ(err, NotRemovedLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0x80071392"));
    EXPECT_EQ(system.CallsStartingWith("IGameExplorer::RemoveGame").size(), 3u);
    EXPECT_TRUE(outcome.registrationLeft);
}

}  // namespace
