#include <gtest/gtest.h>

#include <string>

#include "cli/commands.h"
#include "registration/game_registration.h"
#include "registration/guid_text.h"
#include "registration/task_shortcuts.h"
#include "support/console_capture.h"
#include "support/expected_output.h"
#include "support/faulting_system.h"

namespace {

const std::wstring kExe = L"C:\\Games\\Demo\\demo.exe";
const std::wstring kManual = L"C:\\Games\\Demo\\manual.txt";
const GUID kGameId = {0x0A1B2C3D, 0x4E5F, 0x4061, {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}};

std::string RunList() {
    ConsoleCapture console;
    RunListCommand();
    EXPECT_EQ(console.Err(), "");
    return console.Out();
}

// Every record, with below its GUID's first record of a scope that scope's tasks; changes nothing.
TEST(ListCommand, ShowsEachRecordWithItsScopesTasksAndChangesNothing) {
    FaultingSystem system;
    EXPECT_EQ(RunList(), NoGameRegisteredLine());

    system.PutFile(kExe);
    ASSERT_EQ(RegisterGame(kExe.c_str(), L"C:\\Games\\Demo", GIS_ALL_USERS, kGameId), S_OK);
    ASSERT_EQ(CreateGameTask(GIS_ALL_USERS, kGameId, TaskKind::Play, 0, L"Play", kExe.c_str(),
                             L"-windowed"),
              S_OK);
    ASSERT_EQ(CreateGameTask(GIS_ALL_USERS, kGameId, TaskKind::Support, 0, L"Manual",
                             kManual.c_str(), nullptr),
              S_OK);
    const std::string guid = LogGuid(kGameId);
    const std::string listed = RunList();
    EXPECT_EQ(listed, ListedRecordLine(guid, false, "C:\\Games\\Demo\\demo.exe", true, false) +
                          ListedTaskLine(TaskKind::Play, 0, "Play", "C:\\Games\\Demo\\demo.exe",
                                         "-windowed") +
                          ListedTaskLine(TaskKind::Support, 0, "Manual",
                                         "C:\\Games\\Demo\\manual.txt", "", true));
    EXPECT_EQ(RunList(), listed);
    EXPECT_TRUE(system.AccountsBalance());
}

}  // namespace
