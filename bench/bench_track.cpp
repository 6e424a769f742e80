// The track view's requests: the set-up of a plot (Track) and the directions
// it asks for date by date (MoonSun) for the Sun, the Moon, a planet and a
// catalogue object, inside the planetary ephemeris file and beyond it (the
// fallback theory, which reads its files at every call).
//
// A track of a year outside the package years (no yearly element files for
// it): the set-up and a position a day, as the view asks for them, from a
// library state that has computed nothing yet for the object; arguments: the
// object's number and the year.
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

void BM_TrackOutsidePackageYears(benchmark::State& state) {
    const int objects[3] = {static_cast<int>(state.range(0)), 0, 0};
    const double year = static_cast<double>(state.range(1));
    const double date1 = year * 10000.0 + 101.0, date2 = (year + 1.0) * 10000.0 + 101.0;
    long long positions = 0;
    for (auto _ : state) {
        state.PauseTiming();
        zelvomat::LibraryState st;
        zelvomat::ScopedLibraryState current(st);
        if (!load_package(state, st.core)) return;
        state.ResumeTiming();
        double step = 0, a = 0, b = 0, c = 0, d = 0;
        Track(objects, date1, date2, &step, &a, &b, &c, &d);
        double jd1 = 0, jd2 = 0;
        DateT(1, date1, &jd1);
        DateT(1, date2, &jd2);
        double out[5];
        for (double jd = jd1; jd <= jd2; jd += 1.0, ++positions) {
            MoonSun(objects[0], jd, out);
            benchmark::DoNotOptimize(out);
        }
        if (errmsg(nullptr, 0) != 0) {
            state.SkipWithError("Track or MoonSun failed");
            return;
        }
    }
    state.SetItemsProcessed(positions);
}
BENCHMARK(BM_TrackOutsidePackageYears)
    ->Args({1, 2000})
    ->Args({4, 2000})
    ->Args({1, 2040})
    ->Args({1, 2026})
    ->Unit(benchmark::kMillisecond);

}  // namespace
