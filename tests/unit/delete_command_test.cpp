#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/commands.h"
#include "output/debug_streams.h"
#include "output/program_texts.h"
#include "registration/game_record_places.h"
#include "registration/game_registration.h"
#include "registration/guid_text.h"
#include "registration/task_shortcuts.h"
#include "support/console_capture.h"
#include "support/debug_capture.h"
#include "support/expected_output.h"
#include "support/faulting_system.h"
#include "support/reason_codes.h"

namespace {

using testing::ElementsAre;

const std::wstring kExe = L"C:\\Games\\Demo\\demo.exe";

class DeleteCommandTest : public testing::Test {
  protected:
    // The game is registered for all users with one task.
    DeleteCommandTest() {
        system.PutFile(kExe);
        EXPECT_EQ(RegisterGame(kExe.c_str(), L"C:\\Games\\Demo", GIS_ALL_USERS, gameId), S_OK);
        EXPECT_EQ(CreateGameTask(GIS_ALL_USERS, gameId, TaskKind::Play, 0, L"Play", kExe.c_str(),
                                 nullptr),
                  S_OK);
    }
    ~DeleteCommandTest() override { EXPECT_TRUE(system.AccountsBalance()); }

    // Runs "prog -del <path> ignored extra" with given as the run's GUID.
    void Run(const GUID& given, const std::wstring& path = kExe) {
        CommandRequest request =
            ParseCommandLine({L"prog", L"-del", path, L"ignored extra"}).request;
        request.gameId = given;
        DebugCapture debug;
        ConsoleCapture console;
        outcome = RunDeleteCommand(request);
        out = console.Out();
        err = WithReasonCodesOnly(console.Err());
        debugOut = debug.Channel(kDebugOut);
        debugErr = WithReasonCodesOnly(debug.Channel(kDebugErr));
    }

    bool GameIsRegistered() const { return !RecordsOfGuid(gameId).empty(); }
    bool GameHasTasks() const {
        return std::filesystem::exists(
            system.HostPath(L"C:\\ProgramData\\Microsoft\\Windows\\GameExplorer\\" +
                            BracedGuid(gameId) + L"\\PlayTasks\\0\\Play.lnk"));
    }

    FaultingSystem system;
    GUID gameId = {0x0D1E2F30, 0x4152, 0x6374, {0x85, 0x96, 0xA7, 0xB8, 0xC9, 0xDA, 0xEB, 0xFC}};
    DeleteOutcome outcome;
    std::string out, err;
    std::vector<std::string> debugOut, debugErr;
};

TEST_F(DeleteCommandTest, WithoutGuidLooksItUpThenRemovesTasksAndGame) {
    Run(GUID_NULL);
    EXPECT_EQ(out, RegistrationRemovedLines("C:\\Games\\Demo\\demo.exe"));
    EXPECT_EQ(err, "");
    EXPECT_THAT(debugOut,
                ElementsAre(std::string(kDeleteBinaryEchoText) + "C:\\Games\\Demo\\demo.exe",
                            kRetrievingGuidText,
                            WithoutLineFeed(TasksRemovedLine("C:\\Games\\Demo\\demo.exe")),
                            WithoutLineFeed(RemovedLine("C:\\Games\\Demo\\demo.exe"))));
    EXPECT_FALSE(GameIsRegistered());
    EXPECT_FALSE(GameHasTasks());
    EXPECT_FALSE(outcome.registrationLeft);
}

TEST_F(DeleteCommandTest, LookupFailureRemovesNothing) {
    Run(GUID_NULL, L"C:\\Games\\Other\\other.exe");
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, NotFoundLine("C:\\Games\\Other\\other.exe") + ReasonCode("0x80070490"));
    EXPECT_THAT(debugErr, ElementsAre(WithoutLineFeed(NotFoundLine("C:\\Games\\Other\\other.exe")),
                                      WithoutLineFeed(ReasonCode("0x80070490"))));
    EXPECT_TRUE(GameIsRegistered());
    EXPECT_TRUE(GameHasTasks());
}

// The GUID given names what goes, whatever path is typed: nothing is looked up by the path.
TEST_F(DeleteCommandTest, GivenGuidIsUsedWithoutLookup) {
    Run(gameId, L"C:\\Games\\Other\\other.exe");
    EXPECT_EQ(out, RegistrationRemovedLines("C:\\Games\\Other\\other.exe"));
    EXPECT_FALSE(GameIsRegistered());
    EXPECT_FALSE(GameHasTasks());
    EXPECT_THAT(debugOut, testing::Not(testing::Contains(kRetrievingGuidText)));
}

TEST_F(DeleteCommandTest, TaskRemovalFailureIsShownAndTheGameStillRemoved) {
    system.Fail("SHGetFolderPathW", E_FAIL);
    Run(gameId);
    EXPECT_EQ(out, RemovedLine("C:\\Games\\Demo\\demo.exe"));
    EXPECT_EQ(err, TasksNotRemovedLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0x80004005"));
    EXPECT_FALSE(GameIsRegistered());
    EXPECT_TRUE(outcome.taskFoldersLeft);
    EXPECT_TRUE(GameHasTasks());
}

TEST_F(DeleteCommandTest, AGameThatGameExplorerKeepsIsReportedAsNotRemoved) {
    system.Fail("IGameExplorer::RemoveGame", E_FAIL);
    Run(gameId);
    EXPECT_EQ(out, TasksRemovedLine("C:\\Games\\Demo\\demo.exe"));
    EXPECT_EQ(err, NotRemovedLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0x80004005"));
    EXPECT_TRUE(outcome.registrationLeft);

    // A removal that reports success but keeps the record the lookup finds the game by ends, and
    // reports the game as still registered.
    system.Fail("IGameExplorer::RemoveGame", S_OK);
    Run(GUID_NULL);
    EXPECT_EQ(out, TasksRemovedLine("C:\\Games\\Demo\\demo.exe"));
    EXPECT_EQ(err, NotRemovedLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0x80071392"));
    EXPECT_TRUE(outcome.registrationLeft);
    EXPECT_TRUE(GameIsRegistered());
}

}  // namespace
