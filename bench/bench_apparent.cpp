// Light-time iteration and the other direction routines, per call.
//
// Inputs: a catalogue-like spread of minor planets and comets seen from the
// Earth (geocentric and topocentric): heliocentric distances 0.3-40 AU,
// speeds up to 0.05 AU/day, the Sun's state seen from the Earth.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/apparent.h"
#include "core/observer.h"

using namespace zelvomat;

namespace {

struct Input {
    StateVector a, b, c;
};

std::vector<Input> inputs(std::size_t n, bool topocentric) {
    std::mt19937_64 rng(424242);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<Input> v;
    v.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        const double r = 0.3 + 39.7 * u(rng) * u(rng) * u(rng);
        const double th = 6.283185307179586 * u(rng), z = 0.6 * (u(rng) - 0.5);
        const double sp = 0.0172 / std::sqrt(r) * (0.7 + 0.6 * u(rng));
        Input in;
        in.a = {r * std::cos(th),   r * std::sin(th),  r * z,
                -sp * std::sin(th), sp * std::cos(th), 0.1 * sp * (u(rng) - 0.5)};
        const double te = 6.283185307179586 * u(rng);
        in.b = {-std::cos(te),         -0.917 * std::sin(te),  -0.398 * std::sin(te),
                0.0172 * std::sin(te), -0.0158 * std::cos(te), -0.0068 * std::cos(te)};
        in.c = topocentric ? obsvec(2460000, u(rng), 0.5, 0.8 * kParallaxScale, 0.6 * kParallaxScale) : StateVector{};
        v.push_back(in);
    }
    return v;
}

void BM_Lightt(benchmark::State& state) {
    const auto in = inputs(1024, state.range(0) != 0);
    SkyDirection out;
    std::size_t i = 0;
    for (auto _ : state) {
        const Input& x = in[i++ & 1023];
        lightt(x.a, x.b, x.c, out, LightTimeRates::Computed);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Lightt)->Arg(0)->Arg(1)->ArgName("topocentric");

void BM_Appfirst(benchmark::State& state) {
    const auto in = inputs(1024, true);
    SkyDirection out;
    std::size_t i = 0;
    for (auto _ : state) {
        const Input& x = in[i++ & 1023];
        appfirst(x.a, x.b, x.c, out);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Appfirst);

void BM_Elongph(benchmark::State& state) {
    const auto in = inputs(1024, false);
    std::size_t i = 0;
    for (auto _ : state) {
        const Input& x = in[i++ & 1023];
        benchmark::DoNotOptimize(elongph({x.a[0], x.a[1], x.a[2]}, {x.b[0], x.b[1], x.b[2]}));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Elongph);

// The observer vector of a topocentric date, of date and in J2000 (the
// second forms the precession-nutation matrix of the date each call).
void BM_Obsvec(benchmark::State& state) {
    const bool j2000 = state.range(0) != 0;
    double fr = 0.0;
    for (auto _ : state) {
        fr += 1e-4;
        if (fr >= 1.0) fr = 0.0;
        const StateVector v =
            j2000 ? obsvec_j2000(2460000, fr, fr - 8e-4, 0.5, 0.8, 0.6) : obsvec(2460000, fr, 0.5, 0.8, 0.6);
        benchmark::DoNotOptimize(v);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Obsvec)->Arg(0)->Arg(1)->ArgName("j2000");

}  // namespace
