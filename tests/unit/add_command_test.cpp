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
using testing::IsEmpty;

constexpr GUID kGameId = {
    0x11112222, 0x3333, 0x4444, {0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC}};
const std::string kGameIdText = "{11112222-3333-4444-5566-778899AABBCC}";
const std::wstring kExe = L"C:\\Games\\Demo\\demo.exe";

class AddCommandTest : public testing::Test {
  protected:
    AddCommandTest() {
        system.script.addGameLeaves = kGameId;
        // The game's binary is there and carries its definition, unless a test says otherwise.
        system.script.fileAttributes[kExe] = FILE_ATTRIBUTE_ARCHIVE;
    }
    ~AddCommandTest() override { EXPECT_TRUE(system.AccountsBalance()); }

    // Runs the add command on "prog -add <scope> <exe> <task lines...>".
    void Run(const std::wstring& scope, const std::wstring& exe,
             std::vector<std::wstring> taskLines = {}) {
        ArgumentList arguments = {L"prog", L"-add", scope, exe};
        arguments.insert(arguments.end(), taskLines.begin(), taskLines.end());
        const CommandLine line = ParseCommandLine(arguments);
        ASSERT_FALSE(line.usage.has_value());
        DebugCapture debug;
        ConsoleCapture console;
        outcome = RunAddCommand(line.request);
        gameId = outcome.gameId;
        out = console.Out();
        err = WithReasonCodesOnly(console.Err());
        debugOut = debug.Channel(kDebugOut);
        debugErr = WithReasonCodesOnly(debug.Channel(kDebugErr));
    }

    std::vector<std::string> SavedLinkPaths() const {
        std::vector<std::string> paths;
        for (const auto& link : system.SavedLinks()) {
            paths.push_back(LogText(link.path.c_str()));
        }
        return paths;
    }

    ScriptedSystem system;
    GUID gameId = GUID_NULL;
    AddOutcome outcome;
    std::string out, err;
    std::vector<std::string> debugOut, debugErr;
};

TEST_F(AddCommandTest, NoTaskLinesRegistersWithPathDirectoryAndScope) {
    Run(L"current", kExe);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
    EXPECT_THAT(debugOut, ElementsAre("User: current", "bin:C:\\Games\\Demo\\demo.exe",
                                      "install:C:\\Games\\Demo", "Game added. Adding tasks..."));
    EXPECT_THAT(system.CallsStartingWith("IGameExplorer::AddGame"),
                ElementsAre("IGameExplorer::AddGame C:\\Games\\Demo\\demo.exe C:\\Games\\Demo 2 "
                            "{00000000-0000-0000-0000-000000000000}"));
    EXPECT_TRUE(IsEqualGUID(gameId, kGameId));
}

TEST_F(AddCommandTest, ScopeWordCurrentInAnyCaseIsCurrentUserAndAnythingElseAllUsers) {
    const std::pair<const wchar_t*, char> cases[] = {
        {L"current", '2'}, {L"CURRENT", '2'},  {L"Current", '2'}, {L"all", '3'},
        {L"ALL", '3'},     {L"everyone", '3'}, {L"", '3'},        {L"current ", '3'},
    };
    for (const auto& [word, scope] : cases) {
        ScriptedSystem perCase;
        gameId = GUID_NULL;
        Run(word, kExe);
        const auto calls = perCase.CallsStartingWith("IGameExplorer::AddGame");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0][calls[0].size() - 40], scope) << LogText(word);
        EXPECT_EQ(debugOut[0], "User: " + LogText(word));
        EXPECT_TRUE(perCase.AccountsBalance());
    }
}

TEST_F(AddCommandTest, RelativePathIsRegisteredInFullAndPrintedAsTyped) {
    system.script.addGame = E_FAIL;
    Run(L"all", L"demo.exe");
    EXPECT_THAT(debugOut, testing::IsSupersetOf({"bin:demo.exe", "install:C:\\Work"}));
    EXPECT_TRUE(system.Called("IGameExplorer::AddGame C:\\Work\\demo.exe C:\\Work 3 "));
    // The binary checked is the one registered; the lines name it as typed.
    EXPECT_TRUE(system.Called("GetFileAttributesW C:\\Work\\demo.exe"));
    EXPECT_EQ(err, NotAddedLine("demo.exe") + ReasonCode("0x80070002"));
}

TEST_F(AddCommandTest, EmptyPathIsNotAddedAndNothingRegistered) {
    Run(L"all", L"", {L"Play;x.exe;play"});
    EXPECT_EQ(err, NotAddedLine("") + ReasonCode("0x80070057"));
    EXPECT_FALSE(system.Called("CoCreateInstance"));
}

TEST_F(AddCommandTest, EarlierTasksOfTheScopeGoBeforeTheNewOnes) {
    const std::wstring tree =
        L"C:\\ProgramData\\Microsoft\\Windows\\GameExplorer\\{11112222-3333-4444-5566-"
        L"778899AABBCC}";
    system.script.fileAttributes[tree + L"\\PlayTasks"] = FILE_ATTRIBUTE_DIRECTORY;
    Run(L"all", kExe, {L"Play;x.exe;play"});
    const int removal =
        system.IndexOf("SHFileOperationW func=3 from=" + LogText(tree.c_str()) + "\\PlayTasks ");
    ASSERT_GE(removal, 0);
    EXPECT_GT(system.IndexOf("IPersistFile::Save"), removal);
    EXPECT_EQ(err, "");

    // A removal that fails is shown, and the tasks are still written.
    ScriptedSystem failing;
    failing.script.addGameLeaves = kGameId;
    failing.script.fileAttributes[tree + L"\\PlayTasks"] = FILE_ATTRIBUTE_DIRECTORY;
    failing.script.fileOperation = ERROR_ACCESS_DENIED;
    Run(L"all", kExe, {L"Play;x.exe;play"});
    EXPECT_EQ(err, TasksNotRemovedLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0x80070005"));
    EXPECT_THAT(debugErr,
                ElementsAre(WithoutLineFeed(TasksNotRemovedLine("C:\\Games\\Demo\\demo.exe")),
                            WithoutLineFeed(ReasonCode("0x80070005"))));
    EXPECT_EQ(out, TaskAddedLine("Play", 0));
    // The tasks are not as asked: the old ones may stand beside the new.
    EXPECT_TRUE(outcome.oldTasksLeft);
    EXPECT_TRUE(failing.AccountsBalance());
}

TEST_F(AddCommandTest, RegistrationFailureReportsPathAndLooksAtNoTaskLine) {
    system.script.addGame = E_FAIL;
    Run(L"all", kExe, {L"Play;C:\\Games\\Demo\\demo.exe;play"});
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, NotAddedLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0x80004005"));
    EXPECT_THAT(debugErr, ElementsAre(WithoutLineFeed(NotAddedLine("C:\\Games\\Demo\\demo.exe")),
                                      WithoutLineFeed(ReasonCode("0x80004005"))));
    EXPECT_THAT(debugOut, testing::Not(testing::Contains(testing::StartsWith("Task line: "))));
    EXPECT_FALSE(system.Called("CoCreateInstance {00021401"));
}

// Without Game Explorer nothing reads the binary: the upgrade key that could not be written is
// why the game was not added, however unfit the binary.
TEST_F(AddCommandTest, WithoutGameExplorerTheUpgradeKeysFailureIsTheReason) {
    system.script.createGameExplorer = REGDB_E_CLASSNOTREG;
    system.script.regCreateKey = ERROR_ACCESS_DENIED;
    system.script.loadLibraryError = ERROR_BAD_EXE_FORMAT;
    Run(L"all", kExe, {L"Play;C:\\Games\\Demo\\demo.exe;play"});
    EXPECT_EQ(err, NotAddedLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0x80070005"));
    EXPECT_FALSE(system.Called("LoadLibraryExW"));
}

// A lock that another process holds past the run's deadline: an add that went on without it
// could register the game twice, so it is not added, and says why.
TEST_F(AddCommandTest, LockHeldElsewherePastTheDeadlineIsNotAdded) {
    system.script.waitResult = WAIT_TIMEOUT;
    Run(L"all", kExe, {L"Play;C:\\Games\\Demo\\demo.exe;play"});
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, NotAddedLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0x800705B4"));
    EXPECT_FALSE(outcome.registered);
    EXPECT_FALSE(system.Called("IGameExplorer::AddGame"));
}

// Run as the system account (an MSI deferred action without impersonation), "current" would be
// no person's: refused, while "all" is added as usual.
TEST_F(AddCommandTest, CurrentUserThatIsTheSystemAccountIsNotAdded) {
    system.script.userSid = L"S-1-5-18";
    Run(L"current", kExe, {L"Play;x.exe;play"});
    EXPECT_EQ(err, NotAddedLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0xA0040001"));
    EXPECT_FALSE(outcome.registered);
    EXPECT_FALSE(system.Called("IGameExplorer::AddGame"));
    Run(L"all", kExe);
    EXPECT_TRUE(outcome.registered);
}

TEST_F(AddCommandTest, AccessDeniedIsReportedAsNotAdded) {
    system.script.hasAccess = FALSE;
    Run(L"all", kExe, {L"Play;x.exe;play"});
    EXPECT_EQ(err, NotAddedLine("C:\\Games\\Demo\\demo.exe") + ReasonCode("0x80070005"));
    EXPECT_TRUE(system.SavedLinks().empty());
}

TEST_F(AddCommandTest, EachKindCountsItsOwnIndexes) {
    Run(L"all", kExe,
        {L"Play;C:\\Games\\Demo\\demo.exe;play;-windowed",
         L"Help;C:\\Games\\Demo\\manual.pdf;support",
         L"Safe;C:\\Games\\Demo\\demo.exe;PLAY;-safe"});
    EXPECT_EQ(out, TaskAddedLine("Play", 0) + TaskAddedLine("Help", 0) + TaskAddedLine("Safe", 1));
    EXPECT_EQ(err, "");
    const std::string base = "C:\\ProgramData\\Microsoft\\Windows\\GameExplorer\\" + kGameIdText;
    EXPECT_THAT(SavedLinkPaths(),
                ElementsAre(base + "\\PlayTasks\\0\\Play.lnk", base + "\\SupportTasks\\0\\Help.lnk",
                            base + "\\PlayTasks\\1\\Safe.lnk"));
    EXPECT_THAT(debugOut, ElementsAre("User: all", "bin:C:\\Games\\Demo\\demo.exe",
                                      "install:C:\\Games\\Demo", "Game added. Adding tasks...",
                                      "Task line: Play;C:\\Games\\Demo\\demo.exe;play;-windowed",
                                      WithoutLineFeed(TaskAddedLine("Play", 0)),
                                      "Task line: Help;C:\\Games\\Demo\\manual.pdf;support",
                                      WithoutLineFeed(TaskAddedLine("Help", 0)),
                                      "Task line: Safe;C:\\Games\\Demo\\demo.exe;PLAY;-safe",
                                      WithoutLineFeed(TaskAddedLine("Safe", 1))));
    // Empty arguments reach the shortcut as no arguments at all.
    EXPECT_FALSE(system.SavedLinks()[1].arguments.has_value());
    EXPECT_EQ(system.SavedLinks()[0].arguments, L"-windowed");
}

TEST_F(AddCommandTest, CurrentUserTasksGoBelowLocalApplicationData) {
    Run(L"current", kExe, {L"Play;C:\\Games\\Demo\\demo.exe;play"});
    EXPECT_THAT(
        SavedLinkPaths(),
        ElementsAre("C:\\Users\\player\\AppData\\Local\\Microsoft\\Windows\\GameExplorer\\" +
                    kGameIdText + "\\PlayTasks\\0\\Play.lnk"));
}

TEST_F(AddCommandTest, SkippedAndFailedLinesUseNoIndex) {
    Run(L"all", kExe,
        {L"TwoFields;x.exe", L";x.exe;play", L"bad/name;x.exe;play", L"Good;x.exe;play"});
    EXPECT_EQ(out, TaskNameEmptyLine() + TaskAddedLine("Good", 0));
    EXPECT_EQ(err, TaskLineTooShortLine("TwoFields;x.exe") + TaskNotAddedLine("bad/name") +
                       ReasonCode("0x8007007B"));
    EXPECT_THAT(debugErr, ElementsAre(WithoutLineFeed(TaskLineTooShortLine("TwoFields;x.exe")),
                                      WithoutLineFeed(TaskNotAddedLine("bad/name")),
                                      WithoutLineFeed(ReasonCode("0x8007007B"))));
    EXPECT_THAT(debugOut, testing::Contains(kTaskNameEmptyText + std::string(". Skipped")));
    EXPECT_TRUE(outcome.registered);
    EXPECT_EQ(outcome.tasksAdded, 1);
    EXPECT_EQ(outcome.tasksSkipped, 2);
    EXPECT_EQ(outcome.tasksNotAdded, 1);
}

TEST_F(AddCommandTest, ShortcutThatCannotBeSavedIsReportedAndItsIndexReused) {
    system.script.save = E_FAIL;
    Run(L"all", kExe, {L"First;x.exe;play", L"Second;x.exe;play"});
    EXPECT_EQ(err, TaskNotAddedLine("First") + ReasonCode("0x80004005") +
                       TaskNotAddedLine("Second") + ReasonCode("0x80004005"));
    const auto folders = system.CallsStartingWith("SHCreateDirectoryExW");
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0], folders[1]);  // both tried index 0
}

// Running out of memory fails the step it happens in, which reports its line; the run goes on.
TEST_F(AddCommandTest, OutOfMemoryFailsTheStepAndTheAddGoesOn) {
    system.script.outOfMemoryAt = "IShellLinkW::SetArguments -a";
    Run(L"all", kExe, {L"A;C:\\a.exe;play;-a", L"B;C:\\b.exe;play;-b"});
    EXPECT_EQ(out, TaskAddedLine("B", 0));
    EXPECT_EQ(err, TaskNotAddedLine("A") + ReasonCode("0x8007000E"));

    ScriptedSystem outOfMemory;
    outOfMemory.script.outOfMemoryAt = "IGameExplorer::AddGame";
    Run(L"all", kExe, {L"A;C:\\a.exe;play"});
    EXPECT_EQ(out, "");
    EXPECT_THAT(err, testing::StartsWith(NotAddedLine("C:\\Games\\Demo\\demo.exe")));
    EXPECT_TRUE(outOfMemory.AccountsBalance());
}

}  // namespace

namespace {

TEST_F(AddCommandTest, AGameRegisteredBeforeWithThePathIsRegisteredAgainUnderItsGuid) {
    system.script.addGameLeaves.reset();
    system.script.wmiObjects = {{L"{11112222-3333-4444-5566-778899AABBCC}"}};
    Run(L"all", kExe, {L"Play;C:\\Games\\Demo\\demo.exe;play"});
    EXPECT_EQ(out, TaskAddedLine("Play", 0));
    EXPECT_THAT(system.CallsStartingWith("IGameExplorer::AddGame"),
                ElementsAre("IGameExplorer::AddGame C:\\Games\\Demo\\demo.exe C:\\Games\\Demo 3 " +
                            kGameIdText));
    EXPECT_THAT(SavedLinkPaths(),
                ElementsAre("C:\\ProgramData\\Microsoft\\Windows\\GameExplorer\\" + kGameIdText +
                            "\\PlayTasks\\0\\Play.lnk"));
}

TEST_F(AddCommandTest, ARegistrationThatLeavesNoGuidGetsNoTaskShortcuts) {
    system.script.addGameLeaves.reset();
    Run(L"all", kExe, {L"Play;C:\\Games\\Demo\\demo.exe;play", L"Help;C:\\h.txt;support"});
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, TaskNotAddedLine("Play") + ReasonCode("0x80070490") + TaskNotAddedLine("Help") +
                       ReasonCode("0x80070490"));
    EXPECT_THAT(SavedLinkPaths(), IsEmpty());
    EXPECT_FALSE(system.Called("SHFileOperationW"));
}

}  // namespace
