// Reading and rewriting a registry file whose one key holds 100,000 values (about 2.5 MB, names and
// data as short as a test of many values makes them): each run of the program reads its hive under
// the system lock and writes it back, so both must grow linearly with the number of values, or
// every other run waits.
#include <benchmark/benchmark.h>

#include <string>

#include "emulated/registry/reg_file_format.h"

namespace {

constexpr wchar_t kHive[] = L"HKEY_CURRENT_USER";

// A hive with one key of `count` string values, as the program writes it.
std::string HiveWithValues(int count) {
    RegistryNode root;
    bool created = false;
    RegistryNode& key = root.Create(L"Software", created);
    for (int i = 0; i < count; ++i) {
        key.SetValue({L"v" + std::to_wstring(i), REG_SZ, StringValueData(L"x")});
    }
    return WriteRegFile(root, kHive);
}

void BM_ParseAndRewriteKeyOfManyValues(benchmark::State& state) {
    const std::string file = HiveWithValues(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        RegFileParse parsed = ParseRegFile(file, kHive);
        if (parsed.root == nullptr) {
            state.SkipWithError("the file does not parse");
            return;
        }
        benchmark::DoNotOptimize(WriteRegFile(*parsed.root, kHive));
    }
    state.counters["file_bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_ParseAndRewriteKeyOfManyValues)
    ->Arg(25000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
