// Date conversions at the library's boundary.
#include <benchmark/benchmark.h>

#include "core/datajd.h"

static void BM_DateT_RoundTrip(benchmark::State& state) {
    double jd = 2451545.0;
    for (auto _ : state) {
        const double packed = zelvomat::jd_to_packed(jd);
        benchmark::DoNotOptimize(zelvomat::packed_to_jd(packed));
        jd += 0.37;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DateT_RoundTrip);
