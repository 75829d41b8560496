// ParseTaskLine on the lines an installer passes, and on lines far longer than any real one.
#include <benchmark/benchmark.h>

#include <string>

#include "allocation_meter.h"
#include "cli/task_line.h"

namespace {

// About 8 KiB of text in one line: the longest a command line element plausibly gets.
constexpr std::size_t kLongLineCharacters = 8 * 1024;

void ParseOneLine(benchmark::State& state, const std::wstring& line) {
    AllocationMeter meter;
    for (auto _ : state) {
        auto task = ParseTaskLine(line);
        benchmark::DoNotOptimize(task);
    }
    meter.Report(state);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(line.size() * sizeof(wchar_t)));
}

void BM_ParseTaskLine_Typical(benchmark::State& state) {
    ParseOneLine(state, L"Play;C:\\Games\\Demo\\demo.exe;play;-windowed");
}
BENCHMARK(BM_ParseTaskLine_Typical);

// Four fields, the arguments field holding nearly all of the text.
void BM_ParseTaskLine_LongArguments(benchmark::State& state) {
    std::wstring line = L"Play;C:\\Games\\Demo\\demo.exe;play;";
    line.append(kLongLineCharacters - line.size(), L'x');
    ParseOneLine(state, line);
}
BENCHMARK(BM_ParseTaskLine_LongArguments);

// Thousands of short fields: the field list grows far past the room reserved for it.
void BM_ParseTaskLine_ManyFields(benchmark::State& state) {
    std::wstring line;
    while (line.size() < kLongLineCharacters) {
        line += L"ab;";
    }
    ParseOneLine(state, line);
}
BENCHMARK(BM_ParseTaskLine_ManyFields);

// Quoted stretches throughout: every quote is a boundary of its own.
void BM_ParseTaskLine_ManyQuotes(benchmark::State& state) {
    std::wstring line = L"Play;C:\\Games\\Demo\\demo.exe;play;";
    while (line.size() < kLongLineCharacters) {
        line += L"'-a;b' \"c;d\" ";
    }
    ParseOneLine(state, line);
}
BENCHMARK(BM_ParseTaskLine_ManyQuotes);

}  // namespace
