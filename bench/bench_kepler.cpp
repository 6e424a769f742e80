// Kepler's equation and two-body state propagation.
//
// The eccentricities follow the shape of a minor-planet catalogue: most
// between 0.05 and 0.3, a tail of near-circular orbits and of eccentric ones
// (Mars crossers, near-Earth objects, a few comets) up to 0.95.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/frames.h"
#include "core/twobody.h"

namespace {

struct Sample {
    double e, M;
};

std::vector<Sample> catalogue_like(std::size_t n) {
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<Sample> s;
    s.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        const double p = u(rng);
        double e;
        if (p < 0.10)
            e = 0.05 * u(rng);  // near circular
        else if (p < 0.85)
            e = 0.05 + 0.25 * u(rng);  // the main belt
        else if (p < 0.97)
            e = 0.3 + 0.4 * u(rng);  // crossers
        else
            e = 0.7 + 0.25 * u(rng);  // very eccentric
        s.push_back({e, 6.283185307179586 * u(rng)});
    }
    return s;
}

void BM_Kepler_Catalogue(benchmark::State& state) {
    const auto samples = catalogue_like(4096);
    std::size_t i = 0;
    for (auto _ : state) {
        const Sample& s = samples[i++ & 4095];
        benchmark::DoNotOptimize(zelvomat::kepler(s.e, s.M, zelvomat::kKeplerTol));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Kepler_Catalogue);

void BM_Kepler_Eccentricity(benchmark::State& state) {
    const double e = static_cast<double>(state.range(0)) / 100.0;
    double M = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zelvomat::kepler(e, M, zelvomat::kKeplerTol));
        M += 0.6180339887;
        if (M > 6.283185307179586) M -= 6.283185307179586;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Kepler_Eccentricity)->Arg(0)->Arg(5)->Arg(15)->Arg(30)->Arg(60)->Arg(95)->Arg(99);

// State of a catalogue object at a date from its elements at the epoch
// (equatorial J2000), as the ephemeris loop asks for it.
void BM_TwoBody_State(benchmark::State& state) {
    const auto samples = catalogue_like(4096);
    std::vector<zelvomat::OrbitElements> els;
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const double a = 2.2 + 1.2 * static_cast<double>(k % 97) / 97.0;
        els.push_back({samples[k].M, 0.1 * static_cast<double>(k % 63), 0.05 * static_cast<double>(k % 125),
                       0.01 * static_cast<double>(k % 40), samples[k].e, zelvomat::meanmot(a, 0.0)});
    }
    zelvomat::StateVector s{};
    std::size_t i = 0;
    std::int32_t jd = 2460000;
    for (auto _ : state) {
        const auto st = zelvomat::twobody(0.0, 2460200, 0.5, els[i++ & 4095], jd, 0.25, zelvomat::kObliquityJ2000, s);
        benchmark::DoNotOptimize(st.ok());
        benchmark::DoNotOptimize(s);
        jd = jd == 2461000 ? 2460000 : jd + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TwoBody_State);

}  // namespace
