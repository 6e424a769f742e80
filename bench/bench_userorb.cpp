// Typed orbits: one field check, and a list of 1000 element orbits converted
// to the work file (text read, every field checked, state computed, record
// written).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/contrelm.h"
#include "core/userorb.h"

static void BM_CheckOrbitField(benchmark::State& state) {
    const std::string field = "20071027.53125    ";
    for (auto _ : state)
        benchmark::DoNotOptimize(zelvomat::check_orbit_field(19, field, zelvomat::OrbitForm::Elements));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CheckOrbitField);

static void BM_UserorbList1000(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / "zelvo-bench-userorb";
    std::filesystem::create_directories(dir);
    const std::string text = (dir / "list.txt").string(), work = (dir / "rabb.da1").string();
    {
        std::ofstream o(text, std::ios::binary);
        for (int i = 0; i < 1000; ++i)
            o << "Obj" << i << " 15.2 0.15 2459600.5 " << (i % 360) << ".125 73.6 80.3 10.59 0." << (100 + i % 800)
              << " 0.2141\r\n";
    }
    const std::vector<std::int32_t> fields = {1, 2, 3, 4, 5, 7, 8, 9, 10, 11};
    for (auto _ : state) {
        auto n = zelvomat::userorb(text, work, zelvomat::OrbitForm::Elements, fields);
        if (!n.ok() || n->records != 1000 || n->error) state.SkipWithError("conversion failed");
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_UserorbList1000)->Unit(benchmark::kMillisecond);
