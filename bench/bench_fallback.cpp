// The fallback planetary theory: fbstate for each body relative to the Sun,
// moonhel, eaa, and rppl (which reads "orb.elm" and "moon.xyz" at every call),
// on the package files of tests/data/fallback. Dates step through a century
// so that Kepler's equation meets every anomaly.
#include <benchmark/benchmark.h>

#include <string>

#include "core/corestate.h"
#include "core/fallback.h"
#include "core/setpar.h"

using namespace zelvomat;

namespace {

const std::string kFixtureDir = std::string(ZELVO_SOURCE_DIR) + "/tests/data/fallback/";
constexpr double kEpoch = 2459800.5;

void load(CoreState& core) {
    core.data_paths.data_dir = kFixtureDir;
    core.package.catalogue_epoch = kEpoch;
    if (!load_planet_elements(core).ok() || !load_moon_series(core.moon_series, core.data_paths).ok()) std::abort();
}

const char* const kNames[] = {"barycentre",
                              "Mercury",
                              "Venus",
                              "Earth",
                              "Mars",
                              "Jupiter",
                              "Saturn",
                              "Uranus",
                              "Neptune",
                              "Pluto",
                              "Sun",
                              "Moon",
                              "Earth-Moon barycentre"};

void BM_Fbstate(benchmark::State& state) {
    CoreState core;
    load(core);
    const auto body = static_cast<BodyCode>(state.range(0));
    state.SetLabel(kNames[state.range(0)]);
    double jd = 2433282.5;
    StateVector s{};
    for (auto _ : state) {
        if (!fbstate(core.planet_elements, core.moon_series, body, BodyCode::Sun, jd, s).ok())
            state.SkipWithError("fbstate failed");
        benchmark::DoNotOptimize(s);
        jd += 3.7;
        if (jd > 2469807.5) jd = 2433282.5;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Fbstate)->DenseRange(0, 12);

void BM_Moonhel(benchmark::State& state) {
    CoreState core;
    load(core);
    double jd = 2433282.5;
    StateVector s{};
    for (auto _ : state) {
        if (!moonhel(core.moon_series, jd, s).ok()) state.SkipWithError("moonhel failed");
        benchmark::DoNotOptimize(s);
        jd += 0.37;
        if (jd > 2469807.5) jd = 2433282.5;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Moonhel);

void BM_Eaa(benchmark::State& state) {
    double jd = 2433282.5;
    StateVector s{};
    for (auto _ : state) {
        if (!eaa(jd, s).ok()) state.SkipWithError("eaa failed");
        benchmark::DoNotOptimize(s);
        jd += 0.37;
        if (jd > 2469807.5) jd = 2433282.5;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Eaa);

// rppl reads its files at every call: the Sun from the Earth and the Moon
// from the Earth (the callers' two uses).
void BM_Rppl(benchmark::State& state) {
    CoreState core;
    load(core);
    const auto body = static_cast<BodyCode>(state.range(0));
    state.SetLabel(std::string(kNames[state.range(0)]) + " from the Earth");
    double jd = 2433282.5;
    StateVector s{};
    for (auto _ : state) {
        if (!rppl(core.data_paths, core.package, BodyCode::Earth, body, jd, s).ok()) state.SkipWithError("rppl failed");
        benchmark::DoNotOptimize(s);
        jd += 3.7;
        if (jd > 2469807.5) jd = 2433282.5;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Rppl)->Arg(10)->Arg(11);

}  // namespace
