// The ephemeris task driver: catalogue objects 1-1000 at 10 dates with each
// motion model (elliptic, nodes, integration with every perturber), the
// result and header written as in a real run.
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

void BM_ProgrThousandObjects(benchmark::State& state) {
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
    r.store_numbers(std::to_string(kFirst), std::to_string(kLast));
    r.store_frame("SPH", "AST", "EQT", "2000");
    r.store_arbitrary_interval("20250101.00000", "20250110.00000", "1.0");
    r.store_output("POS");
    const char model = static_cast<char>('0' + state.range(0));
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
        for (int n = kFirst; n <= kLast; ++n) present += catalogue_has(lib.core.catalogue, n) ? 1 : 0;
    catclose(lib.core.catalogue);
    fs::current_path(old);
    fs::remove_all(scratch);
    state.SetItemsProcessed(state.iterations() * present * 10);  // object-dates
    state.counters["objects"] = static_cast<double>(present);
    state.SetLabel(model == '0' ? "elliptic" : model == '1' ? "nodes" : "integration");
}
BENCHMARK(BM_ProgrThousandObjects)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
