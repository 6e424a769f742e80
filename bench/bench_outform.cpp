// Ephemeris result lines and the restriction test: both run once per
// computed date of an ephemeris run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "tasks/confl.h"
#include "tasks/outform.h"

namespace {

using namespace zelvomat;

EphResultValues sample(int i) {
    EphResultValues v;
    v(1) = 0.001 * i;  // the angles sweep the sky
    v(2) = 0.4 - 0.0001 * i;
    v(3) = 1.2345678;
    v(4) = 0.0123;
    v(5) = -0.00456;
    v(6) = 0.0012345;
    v(7) = 2.3456789;
    v(8) = 0.35;
    v(9) = 14.3;
    v(10) = -1.9;
    return v;
}

// Line layout of one date, by output kind.
void BM_FormatLines(benchmark::State& state) {
    const auto kind = *eph_output_kind_from_number(static_cast<int>(state.range(0)));
    int i = 0;
    double jd = 2451545.0;
    for (auto _ : state) {
        EphemerisText t = format_ephemeris_lines(1, jd, kind, sample(i), 1, false);
        benchmark::DoNotOptimize(t);
        i = (i + 1) % 6000;
        jd += 0.25;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatLines)->Arg(2)->Arg(5)->Arg(8)->Arg(9)->Arg(11);

// Outform into "result.ep4" (a scratch directory), two records per date.
void BM_OutformToFile(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / "zelvo-bench-outform";
    std::filesystem::create_directories(dir);
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    std::filesystem::remove("result.ep4");
    {
        auto file = open_ephemeris_result();
        if (!file) {
            state.SkipWithError(file.message().c_str());
        } else {
            std::int32_t record = 0;
            int i = 0;
            for (auto _ : state) {
                auto n = Outform(1, *file, 2451545.0 + i, EphOutputKind::PosEquator, sample(i), 1, record, false);
                record = record < 100000 ? record + *n : 0;
                i = (i + 1) % 6000;
            }
        }
    }
    std::filesystem::current_path(old);
    std::filesystem::remove_all(dir);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OutformToFile);

// Restriction test of one date with four restrictions.
void BM_Conds(benchmark::State& state) {
    RestrictionBounds b;
    b.count = 4;
    const int q[4] = {2, 3, 9, 10};
    for (int k = 0; k < 4; ++k) {
        b.indexes[k] = static_cast<std::int16_t>(q[k]);
        b.senses[k] = 1;
        b.lows(q[k]) = -10.0;
        b.highs(q[k]) = 20.0;
    }
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Conds(1, "SPH", b, sample(i)));
        i = (i + 1) % 6000;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Conds);

}  // namespace
