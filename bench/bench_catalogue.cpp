// Name lookups and element reads in a built element catalogue, and the
// export namn1 (which opens the catalogue at every call) by name.
//
// Run in the working directory of a built data package (tools/make_package.sh
// OUT_DIR: OUT_DIR/work), or give it in ZELVO_PACKAGE_WORK.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/catalog.h"
#include "core/names.h"
#include "zelvomat/zelvomat.h"

namespace {

bool open_catalogue(benchmark::State& state, zelvomat::CatalogueState& cat) {
    if (const char* dir = std::getenv("ZELVO_PACKAGE_WORK"); dir != nullptr && ::chdir(dir) != 0) {
        state.SkipWithError("ZELVO_PACKAGE_WORK cannot be entered");
        return false;
    }
    if (!zelvomat::catopen(cat).ok()) {
        state.SkipWithError("no element catalogue here (set ZELVO_PACKAGE_WORK to a package's work directory)");
        return false;
    }
    return true;
}

// Names of present objects, read back from the catalogue itself.
std::vector<std::string> sample_names(const zelvomat::CatalogueState& cat) {
    std::vector<std::string> names;
    const std::int32_t total = cat.counts.total();
    // Spread over the whole catalogue, numbered and unnumbered objects.
    const std::int32_t step = std::max<std::int32_t>(1, total / 512);
    for (std::int32_t n = 1; n <= total && names.size() < 512; n += step)
        if (zelvomat::catalogue_has(cat, n))
            if (auto c = zelvomat::catname(cat, n)) names.push_back(*c);
    return names;
}

}  // namespace

static void BM_Catnum(benchmark::State& state) {
    zelvomat::CatalogueState cat;
    if (!open_catalogue(state, cat)) return;
    const auto names = sample_names(cat);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zelvomat::catnum(cat, names[i]));
        i = (i + 1) % names.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Catnum);

static void BM_Catelem(benchmark::State& state) {
    zelvomat::CatalogueState cat;
    if (!open_catalogue(state, cat)) return;
    const auto names = sample_names(cat);
    std::vector<std::int32_t> numbers;
    for (const auto& s : names) numbers.push_back(zelvomat::catnum(cat, s));
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zelvomat::catelem(cat, numbers[i]));
        i = (i + 1) % numbers.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Catelem);

static void BM_Namn1(benchmark::State& state) {
    zelvomat::CatalogueState cat;
    if (!open_catalogue(state, cat)) return;
    const auto names = sample_names(cat);
    std::size_t i = 0;
    int n = 0;
    for (auto _ : state) {
        std::string name = names[i];
        namn1(name.data(), static_cast<unsigned>(name.size()), &n);
        benchmark::DoNotOptimize(n);
        i = (i + 1) % names.size();
    }
    if (n <= 0) state.SkipWithError("namn1 did not find a name of the catalogue");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Namn1);

static void BM_Catopen(benchmark::State& state) {
    zelvomat::CatalogueState cat;
    if (!open_catalogue(state, cat)) return;
    for (auto _ : state) benchmark::DoNotOptimize(zelvomat::catopen(cat));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Catopen);
