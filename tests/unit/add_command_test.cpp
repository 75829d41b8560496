#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "cli/commands.h"
#include "output/debug_streams.h"
#include "output/program_texts.h"
#include "registration/game_record_places.h"
#include "registration/guid_text.h"
#include "registration/registered_game_lookup.h"
#include "registration/task_listing.h"
#include "support/console_capture.h"
#include "support/debug_capture.h"
#include "support/expected_output.h"
#include "support/faulting_system.h"
#include "support/reason_codes.h"

namespace {

using testing::ElementsAre;

const std::wstring kExe = L"C:\\Games\\Demo\\demo.exe";
const std::wstring kPlayLine = L"Play;C:\\Games\\Demo\\demo.exe;play";
const std::wstring kAllUsersTasks = L"C:\\ProgramData\\Microsoft\\Windows\\GameExplorer\\";

struct AddRun {
    AddOutcome outcome;
    GUID gameId = GUID_NULL;  // the GUID the game is registered under afterwards
    std::string out, err;
    std::vector<std::string> debugOut, debugErr;
};

// Runs "prog -add <scope> <exe> <task lines...>".
AddRun RunAdd(const std::wstring& scope, const std::wstring& exe,
              const std::vector<std::wstring>& taskLines = {}) {
    ArgumentList arguments = {L"prog", L"-add", scope, exe};
    arguments.insert(arguments.end(), taskLines.begin(), taskLines.end());
    const CommandLine line = ParseCommandLine(arguments);
    EXPECT_FALSE(line.usage.has_value());
    DebugCapture debug;
    ConsoleCapture console;
    AddRun run;
    run.outcome = RunAddCommand(line.request);
    GamePath path;
    if (SUCCEEDED(MakeGamePath(exe, path))) {
        FindRegisteredGame(path, &run.gameId);
    }
    run.out = console.Out();
    run.err = WithReasonCodesOnly(console.Err());
    run.debugOut = debug.Channel(kDebugOut);
    run.debugErr = WithReasonCodesOnly(debug.Channel(kDebugErr));
    return run;
}

// The game's records, each as "<scope> <path> <install folder>".
std::vector<std::string> Records(FaultingSystem& system, const GUID& gameId) {
    std::vector<std::string> records;
    for (const GuidRecord& record : RecordsOfGuid(gameId)) {
        const auto folder = system.RegistryText(record.place.root,
                                                record.place.parentKey + L"\\" + BracedGuid(gameId),
                                                kRecordInstallDirectoryValue);
        records.push_back(std::to_string(record.place.scope) + " " + LogText(record.path.c_str()) +
                          " " + LogText(folder.value_or(L"-").c_str()));
    }
    return records;
}

// The game's task shortcuts of scope, each as "<kind> <index> <name> <target> <arguments>".
std::vector<std::string> Tasks(int scope, const GUID& gameId) {
    std::vector<ListedTask> tasks;
    EXPECT_EQ(ListGameTasks(scope, gameId, tasks), S_OK);
    std::vector<std::string> lines;
    for (const ListedTask& task : tasks) {
        lines.push_back(LogText(TaskKindRowOf(task.kind).word) + " " + std::to_string(task.index) +
                        " " + LogText(task.name.c_str()) + " " + LogText(task.target.c_str()) +
                        " " + LogText(task.arguments.c_str()));
    }
    return lines;
}

// Whether any place the lookup reads names exe as a registered game.
bool PathIsRegistered(const std::wstring& exe) {
    GamePath path;
    GUID gameId = GUID_NULL;
    return SUCCEEDED(MakeGamePath(exe, path)) && SUCCEEDED(FindRegisteredGame(path, &gameId));
}

class AddCommandTest : public testing::Test {
  protected:
    // The game's binary is there and carries its definition, unless a test says otherwise.
    AddCommandTest() {
        system.PutFile(kExe);
        // The tasks' targets exist, as an installer's do when it registers the game.
        for (const wchar_t* target :
             {L"C:\\Games\\Demo\\manual.pdf", L"C:\\a.exe", L"C:\\b.exe", L"C:\\g.exe"}) {
            system.PutFile(target, "target");
        }
    }
    ~AddCommandTest() override { EXPECT_TRUE(system.AccountsBalance()); }

    FaultingSystem system;
};

// The current user's game is recorded for that user, its tasks below the user's own folder.
TEST_F(AddCommandTest, RegistersWithPathDirectoryAndScope) {
    const AddRun run = RunAdd(L"current", kExe);
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_THAT(
        run.debugOut,
        ElementsAre(std::string(kScopeEchoText) + "current",
                    std::string(kBinaryEchoText) + "C:\\Games\\Demo\\demo.exe",
                    std::string(kInstallFolderEchoText) + "C:\\Games\\Demo", kGameAddedText));
    EXPECT_THAT(Records(system, run.gameId),
                ElementsAre("2 C:\\Games\\Demo\\demo.exe C:\\Games\\Demo"));
    const GUID gameId = RunAdd(L"current", kExe, {kPlayLine}).gameId;
    EXPECT_THAT(Tasks(GIS_CURRENT_USER, gameId),
                ElementsAre("play 0 Play C:\\Games\\Demo\\demo.exe "));
    EXPECT_THAT(Tasks(GIS_ALL_USERS, gameId), testing::IsEmpty());
}

// "current" in any case is the current user; any other word, all users.
TEST(AddCommandScope, ScopeWordCurrentInAnyCaseIsCurrentUserAndAnythingElseAllUsers) {
    constexpr int kUser = GIS_CURRENT_USER, kAll = GIS_ALL_USERS;
    const std::pair<const wchar_t*, int> cases[] = {
        {L"current", kUser}, {L"CURRENT", kUser}, {L"Current", kUser}, {L"all", kAll},
        {L"ALL", kAll},      {L"everyone", kAll}, {L"", kAll},         {L"current ", kAll},
    };
    for (const auto& [word, scope] : cases) {
        SCOPED_TRACE(LogText(word));
        FaultingSystem system;
        system.PutFile(kExe);
        const AddRun run = RunAdd(word, kExe);
        EXPECT_THAT(
            Records(system, run.gameId),
            ElementsAre(std::to_string(scope) + " C:\\Games\\Demo\\demo.exe C:\\Games\\Demo"));
        EXPECT_EQ(run.debugOut[0], kScopeEchoText + LogText(word));
        EXPECT_TRUE(system.AccountsBalance());
    }
}

// The lines name the path as typed; the game is registered, and its binary checked, in full.
TEST_F(AddCommandTest, RelativePathIsRegisteredInFullAndPrintedAsTyped) {
    const std::filesystem::path before = std::filesystem::current_path();
    const std::filesystem::path folder = system.HostPath(L"C:\\Games\\Demo");
    std::filesystem::current_path(folder);
    AddRun run = RunAdd(L"all", L"demo.exe");
    // The failure line names the path as typed too.
    std::filesystem::current_path(folder.parent_path());
    AddRun missing = RunAdd(L"all", L"demo.exe");
    std::filesystem::current_path(before);

    std::string fullFolder = "Z:" + folder.string();
    std::replace(fullFolder.begin(), fullFolder.end(), '/', '\\');
    EXPECT_THAT(run.debugOut, testing::IsSupersetOf(std::vector<std::string>{
                                  std::string(kBinaryEchoText) + "demo.exe",
                                  kInstallFolderEchoText + fullFolder}));
    EXPECT_THAT(Records(system, run.gameId),
                ElementsAre("3 " + fullFolder + "\\demo.exe " + fullFolder));
    EXPECT_EQ(missing.err, NotAddedLine("demo.exe") + ReasonCode("0x80070002"));
}

// A repair runs the add again: the game keeps its GUID, and the tasks of the earlier run go
// before the new ones are written.
TEST_F(AddCommandTest, AnAddAgainKeepsTheGuidAndReplacesTheTasksOfTheScope) {
    const GUID gameId = RunAdd(L"all", kExe, {L"Old;C:\\Games\\Demo\\old.exe;play"}).gameId;
    AddRun run = RunAdd(L"all", kExe, {kPlayLine});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(BracedGuid(run.gameId), BracedGuid(gameId));
    EXPECT_THAT(Tasks(GIS_ALL_USERS, gameId),
                ElementsAre("play 0 Play C:\\Games\\Demo\\demo.exe "));

    // A removal that fails is shown, and the tasks are still written.
    system.Fail("DeleteFileW", ERROR_ACCESS_DENIED);
    run = RunAdd(L"all", kExe, {L"Safe;C:\\Games\\Demo\\demo.exe;play;-safe"});
    EXPECT_EQ(run.err, TasksNotRemovedLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0x80070005"));
    EXPECT_EQ(run.out, TaskAddedLine("Safe", 0));
    // The tasks are not as asked: the old one stands beside the new.
    EXPECT_TRUE(run.outcome.oldTasksLeft);
    EXPECT_THAT(Tasks(GIS_ALL_USERS, gameId),
                ElementsAre("play 0 Play C:\\Games\\Demo\\demo.exe ",
                            "play 0 Safe C:\\Games\\Demo\\demo.exe -safe"));
}

struct NotAddedCase {
    const char* name;
    std::wstring exe;
    const char* failingCall;  // made to fail
    long failure;             // with this
    bool withoutGameExplorer;
    std::string reason;
};

const NotAddedCase kNotAddedCases[] = {
    {"EmptyPath", L"", nullptr, 0, false, "0x80070057"},
    {"RegistrationFails", kExe, "IGameExplorer::AddGame", E_FAIL, false, "0x80004005"},
    // Game Explorer answers that the user may not add the game without failing the call.
    {"AccessNotGranted", kExe, "IGameExplorer::VerifyAccess", S_OK, false, "0x80070005"},
    // Another process holds a lock past the run's deadline: an add that went on without it could
    // register the game twice.
    {"LockHeldElsewhere", kExe, "WaitForSingleObject", WAIT_TIMEOUT, false, "0x800705B4"},
    // Without Game Explorer nothing reads the binary (here no executable at all): the upgrade
    // key that could not be written is the reason.
    {"UpgradeKeyNotWritten", kExe, "RegCreateKeyExW", ERROR_ACCESS_DENIED, true, "0x80070005"},
};

class NotAddedTest : public AddCommandTest, public testing::WithParamInterface<NotAddedCase> {};

// The game is not added: the line says why, nothing is registered and no task line is looked at.
TEST_P(NotAddedTest, SaysWhyAndRegistersNothing) {
    const NotAddedCase& c = GetParam();
    if (c.withoutGameExplorer) {
        system.RemoveGameExplorer();
        system.PutFile(kExe, "MZ but nothing more");
    }
    if (c.failingCall != nullptr) {
        system.Fail(c.failingCall, c.failure);
    }
    const AddRun run = RunAdd(L"all", c.exe, {kPlayLine});
    const std::string typed = LogText(c.exe.c_str());
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, NotAddedLine(typed) + ReasonCode(c.reason));
    EXPECT_THAT(run.debugErr, ElementsAre(WithoutLineFeed(NotAddedLine(typed)),
                                          WithoutLineFeed(ReasonCode(c.reason))));
    EXPECT_THAT(run.debugOut,
                testing::Not(testing::Contains(testing::StartsWith(kTaskLineEchoText))));
    EXPECT_FALSE(run.outcome.registered);
    EXPECT_FALSE(PathIsRegistered(kExe));
}

INSTANTIATE_TEST_SUITE_P(Cases, NotAddedTest, testing::ValuesIn(kNotAddedCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(AddCommandTest, EachKindCountsItsOwnIndexes) {
    const AddRun run = RunAdd(L"all", kExe,
                              {L"Play;C:\\Games\\Demo\\demo.exe;play;-windowed",
                               L"Help;C:\\Games\\Demo\\manual.pdf;support",
                               L"Safe;C:\\Games\\Demo\\demo.exe;PLAY;-safe"});
    EXPECT_EQ(run.out,
              TaskAddedLine("Play", 0) + TaskAddedLine("Help", 0) + TaskAddedLine("Safe", 1));
    EXPECT_EQ(run.err, "");
    EXPECT_THAT(Tasks(GIS_ALL_USERS, run.gameId),
                ElementsAre("play 0 Play C:\\Games\\Demo\\demo.exe -windowed",
                            "play 1 Safe C:\\Games\\Demo\\demo.exe -safe",
                            "support 0 Help C:\\Games\\Demo\\manual.pdf "));
    EXPECT_THAT(
        run.debugOut,
        ElementsAre(
            std::string(kScopeEchoText) + "all",
            std::string(kBinaryEchoText) + "C:\\Games\\Demo\\demo.exe",
            std::string(kInstallFolderEchoText) + "C:\\Games\\Demo", kGameAddedText,
            std::string(kTaskLineEchoText) + "Play;C:\\Games\\Demo\\demo.exe;play;-windowed",
            WithoutLineFeed(TaskAddedLine("Play", 0)),
            std::string(kTaskLineEchoText) + "Help;C:\\Games\\Demo\\manual.pdf;support",
            WithoutLineFeed(TaskAddedLine("Help", 0)),
            std::string(kTaskLineEchoText) + "Safe;C:\\Games\\Demo\\demo.exe;PLAY;-safe",
            WithoutLineFeed(TaskAddedLine("Safe", 1))));
}

// A target that is not there yet (a patch or a download may bring it) is added all the same, and
// its author is told; a web address is never looked for.
TEST_F(AddCommandTest, ATaskWhoseTargetIsMissingIsAddedAndSaidSo) {
    const AddRun run = RunAdd(
        L"all", kExe,
        {L"Help;C:\\Games\\Demo\\missing.pdf;support", L"Site;https://example.com/;support"});
    EXPECT_EQ(run.out, TaskAddedLine("Help", 0) + TaskAddedLine("Site", 1));
    EXPECT_EQ(run.err, TaskTargetMissingLine("Help", "C:\\Games\\Demo\\missing.pdf"));
    const AddOutcome& o = run.outcome;
    EXPECT_EQ(std::tuple(o.tasksSkipped, o.tasksNotAdded), std::tuple(0, 0));
}

TEST_F(AddCommandTest, SkippedAndFailedLinesUseNoIndex) {
    const AddRun run = RunAdd(
        L"all", kExe,
        {L"TwoFields;x.exe", L";x.exe;play", L"bad/name;x.exe;play", L"Good;C:\\g.exe;play"});
    EXPECT_EQ(run.out, TaskNameEmptyLine() + TaskAddedLine("Good", 0));
    EXPECT_EQ(run.err, TaskLineTooShortLine("TwoFields;x.exe") + TaskNotAddedLine("bad/name") +
                           ReasonCode("0x8007007B"));
    EXPECT_THAT(run.debugErr, ElementsAre(WithoutLineFeed(TaskLineTooShortLine("TwoFields;x.exe")),
                                          WithoutLineFeed(TaskNotAddedLine("bad/name")),
                                          WithoutLineFeed(ReasonCode("0x8007007B"))));
    EXPECT_THAT(run.debugOut, testing::Contains(kTaskNameEmptyText + std::string(kSkippedEnd)));
    const AddOutcome& o = run.outcome;
    EXPECT_EQ(std::tuple(o.tasksSkipped, o.tasksNotAdded), std::tuple(2, 1));
    EXPECT_THAT(Tasks(GIS_ALL_USERS, run.gameId), ElementsAre("play 0 Good C:\\g.exe "));
}

TEST_F(AddCommandTest, ShortcutThatCannotBeSavedIsReportedAndItsIndexReused) {
    const GUID gameId = RunAdd(L"all", kExe).gameId;
    system.Fail("IPersistFile::Save " + LogText(kAllUsersTasks.c_str()) + LogGuid(gameId) +
                    "\\PlayTasks\\0\\First.lnk",
                E_FAIL);
    const AddRun run = RunAdd(L"all", kExe, {L"First;C:\\a.exe;play", L"Second;C:\\b.exe;play"});
    EXPECT_EQ(run.err, TaskNotAddedLine("First") + ReasonCode("0x80004005"));
    EXPECT_EQ(run.out, TaskAddedLine("Second", 0));
    EXPECT_THAT(Tasks(GIS_ALL_USERS, gameId), ElementsAre("play 0 Second C:\\b.exe "));
}

// The add chooses the game's GUID before it registers: Game Explorer is given it, and whatever it
// writes back, the tasks go under that GUID; none of the all-zero GUID's folders is touched.
TEST_F(AddCommandTest, TheTasksGoUnderTheGuidTheAddChose) {
    const std::wstring strayTask =
        kAllUsersTasks + BracedGuid(GUID_NULL) + L"\\PlayTasks\\0\\x.lnk";
    system.PutFile(strayTask, "stray");
    system.Fail("IGameExplorer::AddGame", S_OK);
    const AddRun run = RunAdd(L"all", kExe, {kPlayLine});
    EXPECT_EQ(run.out, TaskAddedLine("Play", 0));
    // Its task folder stands beside the all-zero GUID's, which keeps its stray task alone.
    const auto folders = std::filesystem::directory_iterator(
        system.HostPath(kAllUsersTasks.substr(0, kAllUsersTasks.size() - 1)));
    EXPECT_EQ(std::distance(folders, {}), 2);
    EXPECT_THAT(Tasks(GIS_ALL_USERS, GUID_NULL), ElementsAre("play 0 x  "));
}

}  // namespace

namespace {

// Memory that runs out in one step fails that step only: the add goes on with the next.
TEST_F(AddCommandTest, OutOfMemoryFailsTheStepAndTheAddGoesOn) {
    system.RunOutOfMemoryAt("IShellLinkW::SetArguments -a");
    const AddRun run = RunAdd(L"all", kExe, {L"A;C:\\a.exe;play;-a", L"B;C:\\b.exe;play;-b"});
    EXPECT_EQ(run.out, TaskAddedLine("B", 0));
    EXPECT_EQ(run.err, TaskNotAddedLine("A") + ReasonCode("0x8007000E"));
    EXPECT_THAT(Tasks(GIS_ALL_USERS, run.gameId), ElementsAre("play 0 B C:\\b.exe -b"));

    system.RunOutOfMemoryAt("IGameExplorer::AddGame");
    const AddRun again = RunAdd(L"all", kExe, {kPlayLine});
    EXPECT_EQ(again.out, "");
    EXPECT_THAT(again.err, testing::StartsWith(NotAddedLine("C:\\Games\\Demo\\demo.exe")));
}

// "current" run as the system account would register the game for a profile no player has.
TEST(AddAsTheSystemAccount, CurrentUserIsRefusedAndAllUsersIsAdded) {
    FaultingSystem system(L"S-1-5-18");
    system.PutFile(kExe);
    const AddRun run = RunAdd(L"current", kExe, {kPlayLine});
    EXPECT_EQ(run.err, NotAddedLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0xA0040001"));
    EXPECT_FALSE(run.outcome.registered);
    EXPECT_FALSE(PathIsRegistered(kExe));
    EXPECT_TRUE(RunAdd(L"all", kExe).outcome.registered);
    EXPECT_TRUE(system.AccountsBalance());
}

}  // namespace
