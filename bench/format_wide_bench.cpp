// FormatWide on each text the system composes: task folder, shortcut path, upgrade registry key
// and WMI query, with the capacities their callers give. None of them may allocate.
#include <benchmark/benchmark.h>

#include <string>

#include "allocation_meter.h"
#include "registration/format_wide.h"

namespace {

// The callers' formats and capacities, repeated here because the callers keep them private.
constexpr wchar_t kIndexFolderFormat[] = L"%s\\Microsoft\\Windows\\GameExplorer\\%s\\%s\\%d";
constexpr wchar_t kShortcutFormat[] = L"%s\\%s.lnk";
constexpr std::size_t kPathCapacity = 512;
constexpr wchar_t kAllUsersGameKeyFormat[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\GameUX\\GamesToFindOnWindowsUpgrade\\%s";
constexpr std::size_t kGameKeyPathCapacity = 1024;
constexpr wchar_t kQueryFormat[] = L"SELECT * FROM GAME WHERE GDFBinaryPath = \"%s\"";
constexpr std::size_t kQueryCapacity = 1024;

constexpr wchar_t kSpecialFolder[] = L"C:\\ProgramData";
constexpr wchar_t kGuidText[] = L"{9A5EA990-3034-4D6F-9128-01F3C61022BC}";
constexpr wchar_t kIndexFolder[] =
    L"C:\\ProgramData\\Microsoft\\Windows\\GameExplorer\\{9A5EA990-3034-4D6F-9128-01F3C61022BC}"
    L"\\PlayTasks\\0";

// Runs format, which fills a buffer with FormatWide, once per iteration.
template <typename Format>
void FormatRepeatedly(benchmark::State& state, Format format) {
    AllocationMeter meter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(format());
        benchmark::ClobberMemory();
    }
    meter.Report(state);
}

void BM_FormatWide_IndexFolder(benchmark::State& state) {
    wchar_t destination[kPathCapacity];
    FormatRepeatedly(state, [&] {
        return FormatWide(destination, kPathCapacity, kIndexFolderFormat, kSpecialFolder, kGuidText,
                          L"PlayTasks", 0);
    });
}
BENCHMARK(BM_FormatWide_IndexFolder);

void BM_FormatWide_ShortcutPath(benchmark::State& state) {
    wchar_t destination[kPathCapacity];
    FormatRepeatedly(state, [&] {
        return FormatWide(destination, kPathCapacity, kShortcutFormat, kIndexFolder, L"Play");
    });
}
BENCHMARK(BM_FormatWide_ShortcutPath);

void BM_FormatWide_RegistryKeyPath(benchmark::State& state) {
    wchar_t destination[kGameKeyPathCapacity];
    FormatRepeatedly(state, [&] {
        return FormatWide(destination, kGameKeyPathCapacity, kAllUsersGameKeyFormat, kGuidText);
    });
}
BENCHMARK(BM_FormatWide_RegistryKeyPath);

void BM_FormatWide_WmiQuery(benchmark::State& state) {
    wchar_t destination[kQueryCapacity];
    FormatRepeatedly(state, [&] {
        return FormatWide(destination, kQueryCapacity, kQueryFormat,
                          L"C:\\\\Games\\\\Demo\\\\demo.exe");
    });
}
BENCHMARK(BM_FormatWide_WmiQuery);

// A task name far longer than the path buffer: formatting stops at the capacity, however long
// the argument is.
void BM_FormatWide_TruncatedShortcutPath(benchmark::State& state) {
    const std::wstring longName(8 * 1024, L'n');
    wchar_t destination[kPathCapacity];
    FormatRepeatedly(state, [&] {
        return FormatWide(destination, kPathCapacity, kShortcutFormat, kIndexFolder,
                          longName.c_str());
    });
}
BENCHMARK(BM_FormatWide_TruncatedShortcutPath);

}  // namespace
