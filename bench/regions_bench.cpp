// Region catalogue: opening the shipped database and filling the region lists.

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "common/memory_control_surface.h"
#include "common/program_directory.h"
#include "regions/isolated_jet_read.h"
#include "regions/jet_reader.h"
#include "regions/region_catalogue.h"

namespace miyoutong {
namespace {

std::vector<unsigned char> ShippedDatabase() {
    std::ifstream in(JoinPath(ExecutableDirectory(), kRegionDatabaseFileName), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What start-up does with the region database: open it, fill the start list.
void BM_OpenRegionDatabaseAndFillStartRegions(benchmark::State& state) {
    for (auto _ : state) {
        RegionCatalogue catalogue;
        MemoryControlSurface controls;
        if (!catalogue.OpenRegionDatabase(ExecutableDirectory())) {
            state.SkipWithError("data.db did not open");
            return;
        }
        catalogue.FillStartRegions(controls);
        benchmark::DoNotOptimize(controls.ComboItemCount(Control::组合框_起始地区));
    }
}
BENCHMARK(BM_OpenRegionDatabaseAndFillStartRegions)->Unit(benchmark::kMillisecond);

// The end list of the largest province, 重庆 with 38 level-2 regions.
void BM_FillEndRegionsLargestProvince(benchmark::State& state) {
    RegionCatalogue catalogue;
    MemoryControlSurface controls;
    if (!catalogue.OpenRegionDatabase(ExecutableDirectory())) {
        state.SkipWithError("data.db did not open");
        return;
    }
    catalogue.FillStartRegions(controls);
    const Control start = Control::组合框_起始地区;
    for (int i = 0; i < controls.ComboItemCount(start); ++i) {
        if (controls.ComboItemValue(start, i) == 22) {
            controls.ComboSelect(start, i);
        }
    }
    for (auto _ : state) {
        catalogue.FillEndRegions(controls);
    }
    if (controls.ComboItemCount(Control::组合框_结束地区) != 39) {
        state.SkipWithError("unexpected end list");
    }
}
BENCHMARK(BM_FillEndRegionsLargestProvince)->Unit(benchmark::kMicrosecond);

// The two ways of reading the tables: in a child process, as the program does, and in process.
// Their difference is the price of the isolation.
void BM_ReadTablesInChildProcess(benchmark::State& state) {
    const std::vector<unsigned char> file = ShippedDatabase();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadJetTablesIsolated(file));
    }
}
BENCHMARK(BM_ReadTablesInChildProcess)->Unit(benchmark::kMillisecond);

void BM_ReadTablesInProcess(benchmark::State& state) {
    const std::vector<unsigned char> file = ShippedDatabase();
    for (auto _ : state) {
        JetReader reader;
        reader.Open(file);
        benchmark::DoNotOptimize(reader.ReadTables());
    }
}
BENCHMARK(BM_ReadTablesInProcess)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace miyoutong

BENCHMARK_MAIN();
