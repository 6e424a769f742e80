// The opposition files: the oppositions of the whole catalogue over the
// package years on two-body orbits (tools/mkopposition does the same on the
// sets of the yearly element files), and the searches of the drivers (opfop,
// Prdat) and Datopp.
//
// Run in the working directory of a built data package (tools/make_package.sh
// OUT_DIR: OUT_DIR/work), or give it in ZELVO_PACKAGE_WORK.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/catalog.h"
#include "core/corestate.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "tasks/libstate.h"
#include "tasks/oppos.h"

using namespace zelvomat;

namespace {

bool open_package(benchmark::State& state, CoreState& core) {
    if (const char* dir = std::getenv("ZELVO_PACKAGE_WORK"); dir != nullptr && ::chdir(dir) != 0) {
        state.SkipWithError("ZELVO_PACKAGE_WORK cannot be entered");
        return false;
    }
    if (!in_par(core).ok() || !de_open(core.de, core.de_copies, core.data_paths).ok() ||
        !catopen(core.catalogue).ok()) {
        state.SkipWithError("no data package here (set ZELVO_PACKAGE_WORK to a package's work directory)");
        return false;
    }
    return true;
}

std::vector<std::int32_t> present_objects(const CatalogueState& cat) {
    std::vector<std::int32_t> v;
    const std::int32_t total = cat.counts.total();
    for (std::int32_t n = 1; n <= total; ++n)
        if (catalogue_has(cat, n)) v.push_back(n);
    return v;
}

int package_first_year(const PackageInfo& info) { return info.first_year > 0 ? info.first_year : 2024; }
int package_last_year(const PackageInfo& info) { return info.last_year > 0 ? info.last_year : 2028; }

}  // namespace

// One iteration: every object of the catalogue over the package years.
static void BM_OppositionsOfTheCatalogue(benchmark::State& state) {
    LibraryState st;
    ScopedLibraryState current(st);
    CoreState& core = st.core;
    if (!open_package(state, core)) return;
    const auto objects = present_objects(core.catalogue);
    const double begin = new_year_jd(package_first_year(core.package)),
                 end = new_year_jd(package_last_year(core.package) + 1);
    std::vector<double> dates;
    std::size_t found = 0;
    for (auto _ : state) {
        auto earth = earth_track(core, begin - 3.0, end + 3.0, 1.0);
        if (!earth) {
            state.SkipWithError(earth.message().c_str());
            return;
        }
        found = 0;
        for (std::int32_t n : objects) {
            auto el = catelem(core.catalogue, n);
            dates.clear();
            if (el && opposition_times(core, std::span(&*el, 1), *earth, begin, end, dates).ok()) found += dates.size();
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(objects.size()));
    state.counters["objects"] = static_cast<double>(objects.size());
    state.counters["oppositions"] = static_cast<double>(found);
}
BENCHMARK(BM_OppositionsOfTheCatalogue)->Unit(benchmark::kSecond);

static void BM_Datopp(benchmark::State& state) {
    LibraryState st;
    ScopedLibraryState current(st);
    CoreState& core = st.core;
    if (!open_package(state, core)) return;
    const auto objects = present_objects(core.catalogue);
    const auto year = static_cast<std::int16_t>(package_first_year(core.package) + 1);
    std::size_t i = 0;
    for (auto _ : state) {
        std::int16_t count = 0;
        std::array<double, 3> dates{};
        benchmark::DoNotOptimize(Datopp(core, objects[i], year, count, dates));
        i = (i + 97) % objects.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Datopp);

static void BM_OpfopAndPrdat(benchmark::State& state) {
    LibraryState st;
    ScopedLibraryState current(st);
    CoreState& core = st.core;
    if (!open_package(state, core)) return;
    const auto& counts = core.data_paths.opp_counts;
    const auto fy = static_cast<std::int16_t>(package_first_year(core.package)),
               ly = static_cast<std::int16_t>(package_last_year(core.package));
    const std::string dir = core.data_paths.data_dir;
    const double begin = new_year_jd(fy + 1);
    double t = begin;
    OppositionFile file;
    std::int64_t items = 0;
    for (auto _ : state) {
        std::int32_t record = 0, err = 0;
        if (!opfop(counts, fy, ly, file, dir, t, record, err).ok() || err != 0 || record == 0) {
            state.SkipWithError("opfop failed on the package");
            return;
        }
        auto r = file.read(record);
        double date = r->jd + 0.3;
        benchmark::DoNotOptimize(Prdat(fy, ly, file, dir, r->number, date, counts));
        t = begin + std::fmod(t - begin + 37.3, 360.0);
        ++items;
    }
    state.SetItemsProcessed(items);
}
BENCHMARK(BM_OpfopAndPrdat);
