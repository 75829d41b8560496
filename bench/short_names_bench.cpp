// Finding an entry by its short name in a folder of many names that start alike, as a run does
// for each short spelling of a path: read the folder and the short names kept for it. The cost
// per name must not grow with the folder: 2,000 names are well under a millisecond a name.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <string>

#include "emulated/files/drive_mapping.h"
#include "emulated/files/short_names.h"

namespace {

// A system folder of its own with count folders "Long Folder 0000"... below C:\Games, removed
// with the object.
class FolderOfAlikeNames {
  public:
    explicit FolderOfAlikeNames(int count) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "short-names-bench-XXXXXX").string();
        system_ = ::mkdtemp(pattern.data());
        for (int i = 0; i < count; ++i) {
            std::filesystem::create_directories(system_ / "drive_c" / "Games" / NameOf(i));
        }
    }

    static std::wstring NameOf(int i) {
        wchar_t name[32];
        std::swprintf(name, 32, L"Long Folder %04d", i);
        return name;
    }
    ~FolderOfAlikeNames() { std::filesystem::remove_all(system_); }
    FolderOfAlikeNames(const FolderOfAlikeNames&) = delete;
    FolderOfAlikeNames& operator=(const FolderOfAlikeNames&) = delete;

    const std::filesystem::path& System() const { return system_; }

  private:
    std::filesystem::path system_;
};

void SetPerNameCounter(benchmark::State& state, int names) {
    state.counters["names"] = names;
    state.counters["per_name"] = benchmark::Counter(
        static_cast<double>(names),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ShortNameFindsItsEntryInAFolderOfAlikeNames(benchmark::State& state) {
    const int names = static_cast<int>(state.range(0));
    FolderOfAlikeNames folder(names);
    // The first look gives the names in the order of the names; the one in the middle is asked.
    ShortNameTable table;
    std::wstring shortName;
    for (int i = 0; i <= names / 2; ++i) {
        shortName = table.Give(FolderOfAlikeNames::NameOf(i));
    }
    const std::wstring path = L"C:\\Games\\" + shortName;
    // That look keeps the names; every run after reads them.
    if (!DriveMapping(folder.System()).ToHost(path).exists) {
        state.SkipWithError("the short name found nothing");
        return;
    }
    for (auto _ : state) {
        // A new mapping each time: a run of the program starts with nothing in memory.
        const DriveMapping drives(folder.System());
        benchmark::DoNotOptimize(drives.ToHost(path));
    }
    SetPerNameCounter(state, names);
}
BENCHMARK(BM_ShortNameFindsItsEntryInAFolderOfAlikeNames)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(8000)
    ->Unit(benchmark::kMillisecond);

void BM_GivingShortNamesToAlikeNames(benchmark::State& state) {
    const int names = static_cast<int>(state.range(0));
    for (auto _ : state) {
        ShortNameTable table;
        for (int i = 0; i < names; ++i) {
            benchmark::DoNotOptimize(table.Give(FolderOfAlikeNames::NameOf(i)));
        }
    }
    SetPerNameCounter(state, names);
}
BENCHMARK(BM_GivingShortNamesToAlikeNames)->Arg(1000)->Arg(8000)->Unit(benchmark::kMillisecond);

}  // namespace
