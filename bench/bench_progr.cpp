// The ephemeris task driver: catalogue objects 1-1000 at 10 dates with each
// motion model (elliptic, nodes, integration with every perturber), the
// result and header written as in a real run; and Ceres to Vesta over 100
// days far from the catalogue epoch, elliptic and integrated.
//
// Needs the full data package: ZELVO_PACKAGE_WORK names its working
// directory, else <source>/build/package/work (tools/make_package.sh build
// build/package). Without one the benchmark is skipped. Each run takes place
// in a scratch directory holding a copy of "setpar" and the task record.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/catalog.h"
#include "core/setpar.h"
#include "tasks/ephrecord.h"
#include "tasks/libstate.h"
#include "tasks/progr.h"

using namespace zelvomat;
namespace fs = std::filesystem;

namespace {

fs::path package_work() {
    if (const char* dir = std::getenv("ZELVO_PACKAGE_WORK")) return dir;
    return fs::path(ZELVO_SOURCE_DIR) / "build" / "package" / "work";
}

constexpr int kFirst = 1, kLast = 1000;

// One run of the driver over the objects first..last at the dates of the
// interval from..to (packed dates, daily) with the motion model (0 elliptic,
// 1 nodes, 2 integration).
void run_progr(benchmark::State& state, int first, int last, const char* from, const char* to, int dates, int motion) {
    const fs::path work = package_work();
    if (!fs::exists(work / "setpar")) {
        state.SkipWithError("no full data package (tools/make_package.sh build build/package)");
        return;
    }
    const fs::path scratch = fs::temp_directory_path() / ("zelvo-bench-progr-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    fs::copy_file(work / "setpar", scratch / "setpar", fs::copy_options::overwrite_existing);
    const fs::path old = fs::current_path();
    fs::current_path(scratch);

    EphTaskRecord r = EphTaskRecord::defaults();
    r.set(eph_field::objectKey, "NUMB");
    r.store_numbers(std::to_string(first), std::to_string(last));
    r.store_frame("SPH", "AST", "EQT", "2000");
    r.store_arbitrary_interval(from, to, "1.0");
    r.store_output("POS");
    const char model = static_cast<char>('0' + motion);
    r.store_motion(model, "112111111111", '1');
    if (!save_eph_task(r).ok()) {
        state.SkipWithError("cannot write eph.cfg");
        fs::current_path(old);
        return;
    }
    LibraryState lib;
    ScopedLibraryState current(lib);
    std::int64_t present = 0;
    for (auto _ : state) {
        fs::remove("result.ep4");
        ProgrCounters c;
        const Status s = progr(lib, c, {});
        if (!s.ok()) {
            state.SkipWithError(s.message().c_str());
            break;
        }
        benchmark::DoNotOptimize(c.percent);
    }
    if (catopen(lib.core.catalogue).ok())
        for (int n = first; n <= last; ++n) present += catalogue_has(lib.core.catalogue, n) ? 1 : 0;
    catclose(lib.core.catalogue);
    fs::current_path(old);
    fs::remove_all(scratch);
    state.SetItemsProcessed(state.iterations() * present * dates);  // object-dates
    state.counters["objects"] = static_cast<double>(present);
    state.SetLabel(model == '0' ? "elliptic" : model == '1' ? "nodes" : "integration");
}
void BM_ProgrThousandObjects(benchmark::State& state) {
    run_progr(state, kFirst, kLast, "20250101.00000", "20250110.00000", 10, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_ProgrThousandObjects)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// What positions by integration far from the catalogue epoch cost, as the
// track view would need them outside the years of the yearly files: objects
// 1 to 4 (Ceres to Vesta) integrated from the epoch to 2000 January 1, 2026
// January 1 or 2040 January 1 and on over 100 daily dates (range(0): the
// year; range(1): the model, 0 elliptic for comparison, 2 integration).
void BM_ProgrFarFromTheEpoch(benchmark::State& state) {
    const std::string year = std::to_string(state.range(0));
    run_progr(state, 1, 4, (year + "0101.00000").c_str(), (year + "0410.00000").c_str(), 100,
              static_cast<int>(state.range(1)));
}
BENCHMARK(BM_ProgrFarFromTheEpoch)
    ->ArgsProduct({{2000, 2026, 2040}, {0, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
