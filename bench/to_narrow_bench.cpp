// ToNarrow on a short value (a task name or path) and on a long one, the way every message line
// converts its wide values.
#include <benchmark/benchmark.h>

#include <string>

#include "allocation_meter.h"
#include "output/to_narrow.h"

namespace {

void ConvertOneText(benchmark::State& state, const std::wstring& text) {
    AllocationMeter meter;
    for (auto _ : state) {
        std::string narrow = ToNarrow(text, CP_THREAD_ACP);
        benchmark::DoNotOptimize(narrow);
    }
    meter.Report(state);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

void BM_ToNarrow_Short(benchmark::State& state) {
    ConvertOneText(state, L"C:\\Games\\Demo\\demo.exe");
}
BENCHMARK(BM_ToNarrow_Short);

void BM_ToNarrow_Long(benchmark::State& state) {
    ConvertOneText(state, std::wstring(8 * 1024, L'x'));
}
BENCHMARK(BM_ToNarrow_Long);

}  // namespace
