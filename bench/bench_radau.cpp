// Gauss-Radau integrator: cost of integrating a typical minor-planet orbit
// (a = 2.7 AU, e = 0.15, inclined) about the Sun alone, LL = 10, NI = 2.
// One iteration integrates one revolution (about 1622 days) or one year;
// the counters give the sequences and force evaluations of one iteration.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "core/radau.h"

namespace {

constexpr double kGm = 0.01720209895 * 0.01720209895;

struct SunForce {
    void operator()(const double* x, const double*, double, double* a) const {
        const double r2 = x[0] * x[0] + x[1] * x[1] + x[2] * x[2];
        const double f = -kGm / (r2 * std::sqrt(r2));
        for (int i = 0; i < 3; ++i) a[i] = f * x[i];
    }
};

// Perihelion state of the orbit, inclined by 0.2 rad about the x axis.
void start_state(double a, double e, double* x, double* v) {
    const double q = a * (1.0 - e);
    const double vq = std::sqrt(kGm * (1.0 + e) / q);
    const double ci = std::cos(0.2), si = std::sin(0.2);
    x[0] = q;
    x[1] = 0.0;
    x[2] = 0.0;
    v[0] = 0.0;
    v[1] = vq * ci;
    v[2] = vq * si;
}

void run(benchmark::State& state, double span_days) {
    const auto nor = static_cast<std::int32_t>(state.range(0));
    const double a = 2.7, e = 0.15;
    SunForce f;
    std::int64_t sequences = 0, evaluations = 0;
    for (auto _ : state) {
        double x[3], v[3];
        start_state(a, e, x, v);
        std::int32_t nf = 0, ns = 0, ncl = zelvomat::kRadauSecondOrder;
        auto st = zelvomat::radau(x, v, 0.0, span_days, 0.0, 10, 3, 2, nf, ns, ncl, nor, zelvomat::radau_force(f));
        if (!st.ok()) state.SkipWithError(st.message().c_str());
        benchmark::DoNotOptimize(x);
        sequences += ns;
        evaluations += nf;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["sequences"] = static_cast<double>(sequences) / n;
    state.counters["force_evals"] = static_cast<double>(evaluations) / n;
    state.SetItemsProcessed(state.iterations());
}

void BM_Radau_Revolution(benchmark::State& state) {
    run(state, 2.0 * 3.14159265358979323846 * std::sqrt(2.7 * 2.7 * 2.7 / kGm));
}
void BM_Radau_Year(benchmark::State& state) { run(state, 365.25); }

}  // namespace

BENCHMARK(BM_Radau_Revolution)->Arg(15)->Arg(11)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Radau_Year)->Arg(15)->Arg(11)->Unit(benchmark::kMicrosecond);
