// The track view's requests: the set-up of a plot (Track) and the directions
// it asks for date by date (MoonSun) for the Sun, the Moon, a planet and a
// catalogue object, inside the planetary ephemeris file and beyond it (the
// fallback theory, which reads its files at every call).
//
// Run in the working directory of a built data package (tools/make_package.sh
// OUT_DIR: OUT_DIR/work), or give it in ZELVO_PACKAGE_WORK.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>

#include "core/catalog.h"
#include "core/destate.h"
#include "core/setpar.h"
#include "tasks/libstate.h"
#include "zelvomat/zelvomat.h"

namespace {

bool load_package(benchmark::State& state, zelvomat::CoreState& core) {
    if (const char* dir = std::getenv("ZELVO_PACKAGE_WORK"); dir != nullptr && ::chdir(dir) != 0) {
        state.SkipWithError("ZELVO_PACKAGE_WORK cannot be entered");
        return false;
    }
    if (!zelvomat::in_par(core).ok() || !zelvomat::catopen(core.catalogue).ok()) {
        state.SkipWithError("no data package here (set ZELVO_PACKAGE_WORK to a package's work directory)");
        return false;
    }
    return true;
}

// A day's worth of requests at a quarter-day step from 2025 January 1; the
// argument is the body number. Inside the ephemeris file's span.
void BM_MoonSun(benchmark::State& state) {
    zelvomat::LibraryState st;
    zelvomat::ScopedLibraryState current(st);
    if (!load_package(state, st.core)) return;
    const int body = static_cast<int>(state.range(0));
    double jd = 2460676.5;
    double out[5];
    for (auto _ : state) {
        MoonSun(body, jd, out);
        benchmark::DoNotOptimize(out);
        jd += 0.25;
        if (jd > 2460676.5 + 2000.0) jd = 2460676.5;
    }
    if (errmsg(nullptr, 0) != 0) state.SkipWithError("MoonSun failed");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MoonSun)->Arg(-10)->Arg(-11)->Arg(-5)->Arg(1);

// The Moon beyond the ephemeris file's span: the fallback theory.
void BM_MoonSunFallback(benchmark::State& state) {
    zelvomat::LibraryState st;
    zelvomat::ScopedLibraryState current(st);
    if (!load_package(state, st.core)) return;
    const double start = st.core.de.last_jd + 30.0;
    double jd = start;
    double out[5];
    for (auto _ : state) {
        MoonSun(-11, jd, out);
        benchmark::DoNotOptimize(out);
        jd += 0.25;
        if (jd > start + 300.0) jd = start;
    }
    if (errmsg(nullptr, 0) != 0) state.SkipWithError("MoonSun failed");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MoonSunFallback);

// The set-up of a plot of one object over 300 days (fitted frame, 21 grid
// steps).
void BM_TrackFitted(benchmark::State& state) {
    zelvomat::LibraryState st;
    zelvomat::ScopedLibraryState current(st);
    if (!load_package(state, st.core)) return;
    const int objects[3] = {static_cast<int>(state.range(0)), 0, 0};
    double step = 0, a = 0, b = 0, c = 0, d = 0;
    for (auto _ : state) {
        Track(objects, 20250101.0, 20251028.0, &step, &a, &b, &c, &d);
        benchmark::DoNotOptimize(a);
    }
    if (errmsg(nullptr, 0) != 0) state.SkipWithError("Track failed");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TrackFitted)->Arg(1)->Arg(-5);

}  // namespace
