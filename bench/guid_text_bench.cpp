// ParseGuid on the texts it meets: a GUID typed on the command line or reported by WMI, and a
// text that is not one.
#include <benchmark/benchmark.h>

#include "allocation_meter.h"
#include "registration/guid_text.h"

namespace {

void ParseOneText(benchmark::State& state, const wchar_t* text) {
    GUID guid{};
    AllocationMeter meter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseGuid(text, &guid));
        benchmark::DoNotOptimize(guid);
    }
    meter.Report(state);
}

void BM_ParseGuid_Braced(benchmark::State& state) {
    ParseOneText(state, L"{9A5EA990-3034-4D6F-9128-01F3C61022BC}");
}
BENCHMARK(BM_ParseGuid_Braced);

void BM_ParseGuid_LowerCase(benchmark::State& state) {
    ParseOneText(state, L"{9a5ea990-3034-4d6f-9128-01f3c61022bc}");
}
BENCHMARK(BM_ParseGuid_LowerCase);

// Refused at its first character.
void BM_ParseGuid_Unbraced(benchmark::State& state) {
    ParseOneText(state, L"9a5ea990-3034-4d6f-9128-01f3c61022bc");
}
BENCHMARK(BM_ParseGuid_Unbraced);

}  // namespace
