// Fault injection below the emulated system: an add with two tasks and a delete are run in this
// process once for each file call they make, with that one call failing. Every run must end as
// usual, leave each registry file as it was or as the run without a failure leaves it, leave no
// temporary file behind, and report the failure on the console unless it did all that the
// healthy run does (a failed look at a shortcut's target that does not exist changes nothing).
#include <cerrno>
#include <cstdint>
#include <functional>
#include <map>

#include <gtest/gtest.h>

#include "cli/entry.h"
#include "emulated/emulated_system.h"
#include "emulated/host/host_files.h"
#include "emulated_test_support.h"
#include "support/console_capture.h"
#include "support/demo_game.h"

namespace {

const SystemUser kUser{L"player", L"S-1-5-21-0-0-0-1000"};

struct EntryRun {
    int status = -1;
    std::string out;
    std::string err;
    std::uint64_t fileCalls = 0;
};

std::wstring Wide(const std::string& ascii) {
    return {ascii.begin(), ascii.end()};
}

// Runs the entry routine on the system in folder, failing its failAt-th file call (0: none).
EntryRun RunOnSystem(const std::filesystem::path& folder, std::vector<std::wstring> elements,
                     std::uint64_t failAt) {
    elements.insert(elements.begin(), L"brackenfold");
    std::vector<wchar_t*> argv;
    for (std::wstring& element : elements) {
        argv.push_back(element.data());
    }
    EmulatedSystem system(folder, kUser);
    InstallSystemBackend(&system);
    EntryRun run;
    {
        ConsoleCapture console;
        FailHostFileCall(failAt, EIO);
        run.status = wmain(static_cast<int>(argv.size()), argv.data());
        run.fileCalls = HostFileCallCount();
        FailHostFileCall(0, 0);
        run.out = console.Out();
        run.err = console.Err();
    }
    InstallSystemBackend(nullptr);
    return run;
}

struct Hives {
    std::string currentUser;
    std::string localMachine;
};

Hives ReadHives(const std::filesystem::path& folder) {
    return {ReadBytes(folder / "registry/HKEY_CURRENT_USER.reg"),
            ReadBytes(folder / "registry/HKEY_LOCAL_MACHINE.reg")};
}

// The files and folders below drive C: with their sizes.
std::map<std::string, std::uintmax_t> DriveC(const std::filesystem::path& folder) {
    std::map<std::string, std::uintmax_t> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder / "drive_c")) {
        entries[entry.path().lexically_relative(folder).string()] =
            entry.is_regular_file() ? entry.file_size() : 0;
    }
    return entries;
}

void CopySystem(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::remove_all(to);
    std::filesystem::copy(from, to, std::filesystem::copy_options::recursive);
}

struct SweepCase {
    const char* name;
    // Brings the new system in folder to where the swept command starts; gets the game's path.
    std::function<void(const std::filesystem::path& folder, const std::wstring& game)> prepare;
    std::function<std::vector<std::wstring>(const std::wstring& game)> command;
};

const std::wstring kGuidOption = L"-guid:{0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F0}";

std::vector<std::wstring> AddWithTwoTasks(const std::wstring& game) {
    return {kGuidOption,
            L"-add",
            L"all",
            game,
            L"Play;" + game + L";play;-windowed",
            L"Manual;C:\\Games\\Demo\\manual.pdf;support"};
}

std::vector<std::wstring> Delete(const std::wstring& game) {
    return {kGuidOption, L"-del", game};
}

// A system that exists already: the sweep is about changing it, not about making it.
void ExistingSystem(const std::filesystem::path& folder, const std::wstring& game) {
    InstallDemoGame(folder, "C:\\Games\\Demo\\manual.pdf", "manual");
    ASSERT_EQ(RunOnSystem(folder, {L"-add", L"all", game + L".other"}, 0).err, "");
}

void SystemWithTheGame(const std::filesystem::path& folder, const std::wstring& game) {
    ExistingSystem(folder, game);
    ASSERT_EQ(RunOnSystem(folder, AddWithTwoTasks(game), 0).err, "");
}

void PrintTo(const SweepCase& sweep, std::ostream* out) {
    *out << sweep.name;
}

class FileFaultSweep : public testing::TestWithParam<SweepCase> {};

TEST_P(FileFaultSweep, EveryFailingFileCallIsReportedAndLeavesWholeRegistryFiles) {
    const SweepCase& sweep = GetParam();
    TemporaryFolder temporary;
    std::filesystem::path start = temporary.Path() / "start";
    std::filesystem::path run = temporary.Path() / "run";
    std::wstring game = Wide(InstallTestGame(start));
    sweep.prepare(start, game);
    ASSERT_FALSE(HasFatalFailure());
    Hives before = ReadHives(start);

    CopySystem(start, run);
    EntryRun healthy = RunOnSystem(run, sweep.command(game), 0);
    ASSERT_EQ(healthy.err, "");
    Hives after = ReadHives(run);
    ASSERT_NE(after.localMachine, before.localMachine);
    std::map<std::string, std::uintmax_t> healthyDriveC = DriveC(run);

    int silent = 0;
    for (std::uint64_t failAt = 1; failAt <= healthy.fileCalls; ++failAt) {
        SCOPED_TRACE("file call " + std::to_string(failAt) + " of " +
                     std::to_string(healthy.fileCalls) + " fails");
        CopySystem(start, run);
        EntryRun faulty = RunOnSystem(run, sweep.command(game), failAt);
        ASSERT_GE(faulty.fileCalls, failAt) << "the run made fewer calls: the sweep is not exact";
        EXPECT_EQ(faulty.status, 0);
        Hives left = ReadHives(run);
        bool reported = faulty.err != "" || faulty.out != healthy.out;
        bool complete = left.currentUser == after.currentUser &&
                        left.localMachine == after.localMachine && DriveC(run) == healthyDriveC;
        EXPECT_TRUE(reported || complete) << "a failure went unreported; printed:\n" << faulty.out;
        silent += reported ? 0 : 1;
        EXPECT_TRUE(left.currentUser == before.currentUser ||
                    left.currentUser == after.currentUser);
        EXPECT_TRUE(left.localMachine == before.localMachine ||
                    left.localMachine == after.localMachine);
        EXPECT_EQ(TemporaryFilesBelow(run), std::vector<std::filesystem::path>{});
    }
    RecordProperty("InjectionPoints", std::to_string(healthy.fileCalls));
    std::cout << sweep.name << ": " << healthy.fileCalls << " injection points, " << silent
              << " of them without effect and unreported\n";
}

INSTANTIATE_TEST_SUITE_P(Commands, FileFaultSweep,
                         testing::Values(SweepCase{"AddWithTwoTasks", ExistingSystem,
                                                   AddWithTwoTasks},
                                         SweepCase{"Delete", SystemWithTheGame, Delete}),
                         [](const auto& sweepCase) { return std::string(sweepCase.param.name); });

}  // namespace
