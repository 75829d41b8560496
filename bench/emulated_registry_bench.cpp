// The registry calls of a lookup by path on the emulated system: list every game key below
// GameUX\Games, open each and read its binary path. A delete of a path that no game has makes
// these calls for every record, so their cost per record must not grow with the number of
// records: 8,000 records are a lookup of well under a second.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <string>

#include "allocation_meter.h"
#include "emulated/registry/emulated_registry.h"
#include "emulated/run_state/system_creation.h"

namespace {

constexpr wchar_t kGamesKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\Games";

// A system of its own in a new temporary folder, removed with the object.
class BenchSystem {
  public:
    BenchSystem() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "registry-bench-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
    }
    ~BenchSystem() { std::filesystem::remove_all(folder_); }
    BenchSystem(const BenchSystem&) = delete;
    BenchSystem& operator=(const BenchSystem&) = delete;

    const std::filesystem::path& Folder() const { return folder_; }

  private:
    std::filesystem::path folder_;
};

// Records count games, each in a key named like a game's instance GUID, in one change.
LONG AddGames(RegistryStore& store, int count) {
    return store.Update(Hive::LocalMachine, [&](RegistryNode& root, bool& changed) {
        RegistryNode& games = CreateKeyPath(root, kGamesKey);
        for (int i = 0; i < count; ++i) {
            wchar_t name[40];
            std::swprintf(name, 40, L"{%08X-0000-4000-8000-000000000000}", i);
            bool created = false;
            games.Create(name, created)
                .SetValue({L"ConfigGDFBinaryPath", REG_SZ,
                           StringValueData(L"C:\\Games\\Game" + std::to_wstring(i) + L"\\g.exe")});
        }
        changed = true;
        return ERROR_SUCCESS;
    });
}

// What the lookup does: the number of records whose path it read.
int ReadEveryRecord(EmulatedRegistry& registry) {
    HKEY games = nullptr;
    if (registry.OpenExistingKey(HKEY_LOCAL_MACHINE, kGamesKey, &games) != ERROR_SUCCESS) {
        return -1;
    }
    int read = 0;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (registry.EnumKey(games, index, name, &nameLength) != ERROR_SUCCESS) {
            break;
        }
        HKEY game = nullptr;
        if (registry.OpenExistingKey(games, name, &game) != ERROR_SUCCESS) {
            continue;
        }
        wchar_t path[MAX_PATH];
        DWORD type = 0;
        DWORD byteCount = sizeof path;
        if (registry.QueryValue(game, L"ConfigGDFBinaryPath", &type, reinterpret_cast<BYTE*>(path),
                                &byteCount) == ERROR_SUCCESS) {
            ++read;
        }
        registry.CloseKey(game);
    }
    registry.CloseKey(games);
    return read;
}

void BM_LookupReadsEveryRecord(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    BenchSystem system;
    const SystemLayout layout{system.Folder()};
    RegistryStore store(layout, CreateSystem(layout, {L"player", L"S-1-5-21-0-0-0-1000"}));
    if (AddGames(store, records) != ERROR_SUCCESS) {
        state.SkipWithError("the records could not be written");
        return;
    }
    AllocationMeter meter;
    for (auto _ : state) {
        // A new store each time: a run of the program starts with nothing kept.
        RegistryStore fresh(layout, ERROR_SUCCESS);
        EmulatedRegistry registry(fresh);
        if (ReadEveryRecord(registry) != records) {
            state.SkipWithError("a record was not read");
            return;
        }
    }
    meter.Report(state);
    state.counters["records"] = records;
    state.counters["per_record"] = benchmark::Counter(
        static_cast<double>(records),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LookupReadsEveryRecord)->Arg(1000)->Arg(8000)->Unit(benchmark::kMillisecond);

}  // namespace
