// The exit status that -exitcode asks for, read from what each command did, on a throwaway
// emulated system: one row per status of each command, in order on one system, and a run
// without the option that keeps the old statuses.
#include <stdlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "support/demo_game.h"
#include "support/process_runner.h"

namespace {

namespace fs = std::filesystem;

const std::string kExe = "C:\\Games\\Demo\\demo.exe";
const std::string kGuid = "{3C1D5E7F-2A4B-4C6D-8E0F-1A2B3C4D5E6F}";
const std::string kPlay = "Play;" + kExe + ";play";

struct StatusRow {
    const char* what;
    std::vector<std::string> arguments;
    int status;
    // Changes the system before the run, given its folder.
    std::function<void(const fs::path&)> arrange = nullptr;
};

fs::path GameTaskTree(const fs::path& system) {
    return system / "drive_c" / "ProgramData" / "Microsoft" / "Windows" / "GameExplorer" / kGuid;
}

// A task tree whose existence cannot be told (a link to itself): it cannot be removed.
void TaskTreeThatCannotBeRemoved(const fs::path& system) {
    fs::remove_all(GameTaskTree(system));
    fs::create_directory_symlink(GameTaskTree(system), GameTaskTree(system));
}

// A folder outside the system, with a file in it.
fs::path OutsideFolder(const fs::path& system) {
    return system.parent_path().parent_path() / "outside";
}

// The game's task tree a link to a folder outside, as a user may plant below their own folders.
void TaskTreeLinkedOutside(const fs::path& system) {
    fs::create_directories(OutsideFolder(system));
    std::ofstream(OutsideFolder(system) / "keep.txt") << "keep";
    fs::remove_all(GameTaskTree(system));
    fs::create_directory_symlink(OutsideFolder(system), GameTaskTree(system));
}

void DamagedLocalMachineRegistry(const fs::path& system) {
    fs::resize_file(system / "registry" / "HKEY_LOCAL_MACHINE.reg", 7);
}

TEST(ExitStatusTest, EachOutcomeOfEachCommandHasItsStatusOnlyWhenAskedFor) {
    std::string pattern = (fs::temp_directory_path() / "brackenfold-status-XXXXXX").string();
    const fs::path data = ::mkdtemp(pattern.data());
    const fs::path system = data / "brackenfold" / "system";
    InstallDemoGame(system, kExe);
    const std::vector<StatusRow> rows = {
        {"added with every task", {"-exitcode", "-add", "all", kExe, kPlay}, 0},
        {"added, a line skipped", {"-exitcode", "-add", "all", kExe, kPlay, "a;b"}, 3},
        {"added, a task refused", {"-exitcode", "-add", "all", kExe, "bad*;" + kExe + ";play"}, 3},
        {"not added", {"-exitcode", "-add", "all", "C:\\Games\\None\\none.exe", kPlay}, 2},
        {"add usage", {"-exitcode", "-add", "all"}, 1},
        {"delete usage", {"-exitcode", "-guid:" + kGuid, "-del"}, 1},
        {"removed", {"-exitcode", "-del", kExe}, 0},
        {"nothing registered", {"-exitcode", "-del", kExe}, 0},
        {"an empty path, refused", {"-exitcode", "-del", ""}, 2},
        {"record and folders already gone", {"-exitcode", "-guid:" + kGuid, "-del", kExe}, 0},
        {"added under a GUID", {"-exitcode", "-guid:" + kGuid, "-add", "all", kExe, kPlay}, 0},
        {"registration gone, task folder left",
         {"-exitcode", "-guid:" + kGuid, "-del", kExe},
         3,
         TaskTreeThatCannotBeRemoved},
        // Nothing is written or removed through a link: the tasks are not as asked, and a delete
        // leaves something that must be looked at.
        {"added again, a link at its task folder",
         {"-exitcode", "-guid:" + kGuid, "-add", "all", kExe, kPlay},
         3,
         TaskTreeLinkedOutside},
        {"registration gone, a link at its task folder left",
         {"-exitcode", "-guid:" + kGuid, "-del", kExe},
         2},
        {"lookup cannot tell", {"-exitcode", "-del", kExe}, 2, DamagedLocalMachineRegistry},
        {"still registered", {"-exitcode", "-guid:" + kGuid, "-del", kExe}, 2},
        // Without the option: the statuses of old, 0 whatever was done, 1 with the usage.
        {"without the option, not added", {"-add", "all", "C:\\Games\\None\\none.exe"}, 0},
        {"without the option, still registered", {"-guid:" + kGuid, "-del", kExe}, 0},
        {"without the option, usage", {"-add", "all"}, 1},
        {"options in any order", {"-guid:" + kGuid, "-nologo", "-exitcode", "-del", kExe}, 2},
        {"after the command word it is no option",
         {"-add", "all", "C:\\Games\\None\\none.exe", "-exitcode"},
         0},
        {"a GUID that is not exactly one, nothing changed",
         {"-exitcode", "-guid:" + kGuid + "junk", "-add", "all", kExe, kPlay},
         1},
    };
    ProcessOptions options;
    options.environment["XDG_DATA_HOME"] = data.string();
    for (const StatusRow& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.arrange) {
            row.arrange(system);
        }
        const ProcessResult result = RunProcess(BRACKENFOLD_PROGRAM, row.arguments, options);
        EXPECT_EQ(result.exitStatus, row.status) << result.out << result.err;
    }
    // The folder a link led to holds what it held, and nothing more.
    EXPECT_EQ(std::distance(fs::directory_iterator(OutsideFolder(system)), {}), 1);
    EXPECT_TRUE(fs::is_regular_file(OutsideFolder(system) / "keep.txt"));
    fs::remove_all(data);
}

}  // namespace
