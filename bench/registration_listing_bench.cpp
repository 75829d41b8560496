// -list over the emulated system, as a run makes it: every record read once, compared only with
// the records of its own GUID, and each scope's task folders listed once. Its time per record must
// not grow with the number of records: the complexity reported over 1,000, 8,000 and 16,000
// records is O(N), and 8,000 records are well under 0.3 s of processor time.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <string>

#include "allocation_meter.h"
#include "cli/commands.h"
#include "emulated/emulated_system.h"
#include "emulated/registry/registry_store.h"
#include "emulated/run_state/system_creation.h"
#include "emulated/shell/shell_link_format.h"
#include "platform/gameux.h"

namespace {

const SystemUser kUser = {L"player", L"S-1-5-21-0-0-0-1000"};
// One game in this many has task folders, in both scopes, where they are planted.
constexpr int kGamesPerTaskFolder = 50;

std::wstring GuidText(int game) {
    wchar_t text[40];
    std::swprintf(text, 40, L"{%08X-0000-4000-8000-000000000000}", game);
    return text;
}

std::wstring GamePathOf(int game) {
    return L"C:\\Games\\Game" + std::to_wstring(game) + L"\\g.exe";
}

// A system of its own in a new temporary folder, removed with the object.
class ListedSystem {
  public:
    ListedSystem() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "listing-bench-XXXXXX").string();
        layout_.root = ::mkdtemp(pattern.data());
    }
    ~ListedSystem() { std::filesystem::remove_all(layout_.root); }
    ListedSystem(const ListedSystem&) = delete;
    ListedSystem& operator=(const ListedSystem&) = delete;

    const std::filesystem::path& Folder() const { return layout_.root; }

    // records records, two of each game: a Game Explorer record (of all users and of the current
    // user by turns) and an upgrade key (the same by pairs), one game in four with an upgrade key
    // naming another path. Written straight into the hives, one change each.
    LONG PlantRecords(int records) {
        RegistryStore store(layout_, CreateSystem(layout_, kUser));
        const LONG localMachine =
            store.Update(Hive::LocalMachine, [&](RegistryNode& root, bool& changed) {
                RegistryNode& allUsers = CreateKeyPath(
                    root, std::wstring(kGameExplorerRecordsKey) + L"\\" + kAllUsersRecordsName);
                RegistryNode& currentUser = CreateKeyPath(
                    root, std::wstring(kGameExplorerRecordsKey) + L"\\" + kUser.userId);
                RegistryNode& upgrade = CreateKeyPath(root, kAllUsersUpgradeKey);
                for (int game = 0; game < records / 2; ++game) {
                    Put(game % 2 == 0 ? allUsers : currentUser, game, kRecordBinaryPathValue, game);
                    if ((game / 2) % 2 == 0) {
                        Put(upgrade, game, kUpgradeBinaryPathValue, UpgradePathOf(game, records));
                    }
                }
                changed = true;
                return ERROR_SUCCESS;
            });
        const LONG currentUser =
            store.Update(Hive::CurrentUser, [&](RegistryNode& root, bool& changed) {
                RegistryNode& upgrade = CreateKeyPath(root, kCurrentUserUpgradeKey);
                for (int game = 0; game < records / 2; ++game) {
                    if ((game / 2) % 2 != 0) {
                        Put(upgrade, game, kUpgradeBinaryPathValue, UpgradePathOf(game, records));
                    }
                }
                changed = true;
                return ERROR_SUCCESS;
            });
        return localMachine != ERROR_SUCCESS ? localMachine : currentUser;
    }

    // A play task shortcut for one game in kGamesPerTaskFolder, in both scopes.
    void PlantTaskFolders(int records) const {
        ShellLinkContents play;
        play.localPath = GamePathOf(0);
        play.arguments = L"-w";
        const std::string link = ShellLinkBytes(play);
        for (const char* scopeFolder : {"ProgramData", "Users/player/AppData/Local"}) {
            const std::filesystem::path games =
                layout_.DriveC() / scopeFolder / "Microsoft/Windows/GameExplorer";
            for (int game = 0; game < records / 2; game += kGamesPerTaskFolder) {
                const std::filesystem::path index = games / GuidText(game) / "PlayTasks/0";
                std::filesystem::create_directories(index);
                std::ofstream(index / "Play.lnk", std::ios::binary) << link;
            }
        }
    }

  private:
    static int UpgradePathOf(int game, int records) {
        return game % 4 == 0 ? game + records : game;
    }

    static void Put(RegistryNode& parent, int game, const wchar_t* value, int pathOf) {
        bool created = false;
        parent.Create(GuidText(game), created)
            .SetValue({value, REG_SZ, StringValueData(GamePathOf(pathOf))});
    }

    SystemLayout layout_;
};

// Takes the listing's lines and keeps none of them.
class DiscardingBuffer : public std::streambuf {
  protected:
    int_type overflow(int_type ch) override { return ch; }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

void ListOnce(const std::filesystem::path& folder) {
    // A new system each time: a run of the program starts with nothing kept.
    EmulatedSystem system(folder, kUser);
    InstallSystemBackend(&system);
    RunListCommand();
    InstallSystemBackend(nullptr);
}

void MeasureList(benchmark::State& state, bool taskFolders) {
    const int records = static_cast<int>(state.range(0));
    ListedSystem system;
    if (system.PlantRecords(records) != ERROR_SUCCESS) {
        state.SkipWithError("the records could not be written");
        return;
    }
    if (taskFolders) {
        system.PlantTaskFolders(records);
    }
    DiscardingBuffer discarded;
    std::streambuf* const console = std::cout.rdbuf(&discarded);
    AllocationMeter meter;
    for (auto _ : state) {
        ListOnce(system.Folder());
    }
    meter.Report(state);
    std::cout.rdbuf(console);
    state.SetComplexityN(records);
    state.counters["per_record"] = benchmark::Counter(
        static_cast<double>(records),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ListWithoutTaskFolders(benchmark::State& state) {
    MeasureList(state, false);
}
void BM_ListWithTaskFolders(benchmark::State& state) {
    MeasureList(state, true);
}
// Records from a few to many, so that the fitted complexity shows whether the cost stays linear.
void RecordCounts(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(1000)->Arg(8000)->Arg(16000)->Complexity(benchmark::oN);
    benchmark->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_ListWithoutTaskFolders)->Apply(RecordCounts);
BENCHMARK(BM_ListWithTaskFolders)->Apply(RecordCounts);

}  // namespace
