// Counts the heap allocations of the benchmark program, so that each benchmark can report how
// many one iteration makes: the bounded formatting must make none.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

// Allocations made by operator new since the program started.
std::uint64_t AllocationCount();

// Measures the allocations from its construction to Report, per iteration of state.
class AllocationMeter {
  public:
    AllocationMeter() : start_(AllocationCount()) {}

    void Report(benchmark::State& state) const {
        state.counters["allocs/iter"] = benchmark::Counter(
            static_cast<double>(AllocationCount() - start_), benchmark::Counter::kAvgIterations);
    }

  private:
    std::uint64_t start_;
};
