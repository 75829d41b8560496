// DebugStreamBuf gathering lines of 10, 100 and 3,000 characters, one character per overflow
// call, as every diagnostic line of a run is written.
#include <benchmark/benchmark.h>

#include <ostream>
#include <string>

#include "allocation_meter.h"
#include "output/debug_streams.h"

namespace {

void BM_DebugStreamBuf_Line(benchmark::State& state) {
    const std::string line(static_cast<std::size_t>(state.range(0)), 'x');
    DebugStreamBuf buffer(0);
    std::ostream stream(&buffer);
    AllocationMeter meter;
    for (auto _ : state) {
        stream << line << std::endl;
    }
    meter.Report(state);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(line.size() + 1));
}
BENCHMARK(BM_DebugStreamBuf_Line)->Arg(10)->Arg(100)->Arg(3000);

}  // namespace
