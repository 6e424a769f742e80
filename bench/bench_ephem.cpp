// Positions per second of the position routine, by motion model.
//
// Fixture: the DE405 excerpt of the tests (JD 2451536.5-2451632.5), a
// catalogue of 200 objects on ordinary main-belt orbits with the catalogue
// epoch JD 2451545.0, and yearly element files for 2000 with a set every 30
// days for each object. Every position is astrometric (light time iterated),
// equatorial J2000, seen by a topocentric observer, so the observer vector,
// Delta T and the Sun's state are part of each call.
//
//   BM_EllipticDates      one object after another, 90 dates each (the
//                         ephemeris driver's loop)
//   BM_NodesDates         the same with the yearly elements
//   BM_NodesObjectsOfDate all objects at one date, then the next date (the
//                         per-date work shared by the objects)
//   BM_IntegrationDates   integration, one object over 90 daily dates
//                         continued from date to date (per position)
//   BM_IntegrationSpan    one integration over 80 days from the epoch, no
//                         intermediate dates (items: days integrated)
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "../tests/zelvomat/catalogue_fixture.h"
#include "core/catalog.h"
#include "core/corestate.h"
#include "core/destate.h"
#include "core/elmnt.h"
#include "core/ephem.h"
#include "core/force.h"
#include "core/observer.h"
#include "core/reade403.h"
#include "core/setpar.h"

using namespace zelvomat;

namespace {

// The library's state for these benchmarks.
CoreState& bench_core() {
    static CoreState core;
    return core;
}

constexpr double kFirst = 2451536.5;
constexpr double kLast = 2451632.5;
constexpr double kEpoch = 2451545.0;
constexpr std::int32_t kObjects = 200;
constexpr int kDates = 90;

struct Fixture {
    std::unique_ptr<zeltest::ScopedWorkDir> wd;
    bool ok = false;
};

std::array<double, 6> orbit(int k) {
    const double a = 2.2 + 1.2 * ((k * 37) % 100) / 100.0;
    return {0.7 * k,
            0.3 * k + 1.0,
            0.11 * k,
            0.02 + 0.003 * (k % 50),
            0.02 + 0.002 * (k % 100),
            0.01720209895 / std::pow(a, 1.5)};
}

Fixture& fixture() {
    static Fixture f = [] {
        Fixture fx;
        fx.wd = std::make_unique<zeltest::ScopedWorkDir>();
        const std::string dir = fx.wd->dir_slash();
        std::vector<zeltest::CatObject> objs;
        for (int k = 1; k <= kObjects; ++k)
            objs.push_back({k, "Object" + std::to_string(k), "OBJECT" + std::to_string(k), "12.50", orbit(k)});
        zeltest::write_catalogue(dir, kObjects, kObjects, objs, {}, kEpoch);
        // Package years 1999-2001, record 8 values that accept every set.
        auto s = zeltest::read_bytes("setpar");
        s[5 * 80 + 20] = static_cast<std::uint8_t>(1999 & 0xff);
        s[5 * 80 + 21] = static_cast<std::uint8_t>(1999 >> 8);
        s[5 * 80 + 22] = static_cast<std::uint8_t>(2001 & 0xff);
        s[5 * 80 + 23] = static_cast<std::uint8_t>(2001 >> 8);
        zeltest::write_bytes("setpar", s);
        YearlyElementsWriter w(kObjects);
        for (int k = 1; k <= kObjects; ++k) {
            std::vector<ElementSet> sets;
            const auto e = orbit(k);
            for (int i = 0; i < 12; ++i) {
                const double ep = 2451544.5 + 30.0 * i;
                sets.push_back({ep, e[0] + e[5] * (ep - kEpoch), e[1], e[2], e[3], e[4], e[5]});
            }
            if (!w.add(k, sets).ok()) return fx;
        }
        if (!w.write(dir, 2000).ok()) return fx;
        if (!in_par(bench_core()).ok() || !catopen(bench_core().catalogue).ok()) return fx;
        bench_core().de.first_jd = kFirst;
        bench_core().de.last_jd = kLast;
        if (!de_open(bench_core().de, bench_core().de_copies,
                     std::string(ZELVO_SOURCE_DIR) + "/tests/data/coorbp_de405_excerpt")
                 .ok())
            return fx;
        MotionConfig& m = bench_core().motion;
        m.catalogue_epoch = kEpoch;
        m.perturber_switch.fill(1);
        m.perturber_switch[2] = kEarthAndMoon;
        m.relativity = 1;
        bench_core().minor_perturbers.planet = {OrbitElements::from(orbit(1).data()),
                                                OrbitElements::from(orbit(2).data()),
                                                OrbitElements::from(orbit(3).data())};
        bench_core().task_options = *task_options_from_texts("SPH", "AST", "EQT", "2000", 3, "TOP");
        bench_core().observer_site = {0.3, 0.8, 0.66 * kParallaxScale, 0.74 * kParallaxScale};
        fx.ok = true;
        return fx;
    }();
    return f;
}

void run_dates(benchmark::State& state, MotionCode model) {
    Fixture& fx = fixture();
    if (!fx.ok) {
        state.SkipWithError("fixture");
        return;
    }
    bench_core().motion.model = model;
    const std::string dir = fx.wd->dir_slash();
    EphResultValues v;
    std::int16_t acc = 0;
    std::int32_t n = 1;
    for (auto _ : state) {
        for (int i = 1; i <= kDates; ++i) {
            if (!ephem(bench_core(), n, EphemDate{kFirst + 2.0, 1.0, i}, 0, dir, v, acc).ok()) {
                state.SkipWithError("ephem failed");
                return;
            }
            benchmark::DoNotOptimize(v);
        }
        n = n % kObjects + 1;
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}

void BM_EllipticDates(benchmark::State& state) { run_dates(state, MotionCode::Elliptic); }
void BM_NodesDates(benchmark::State& state) { run_dates(state, MotionCode::Nodes); }

void BM_NodesObjectsOfDate(benchmark::State& state) {
    Fixture& fx = fixture();
    if (!fx.ok) {
        state.SkipWithError("fixture");
        return;
    }
    bench_core().motion.model = MotionCode::Nodes;
    const std::string dir = fx.wd->dir_slash();
    EphResultValues v;
    std::int16_t acc = 0;
    int d = 0;
    for (auto _ : state) {
        for (std::int32_t n = 1; n <= kObjects; ++n) {
            if (!ephem(bench_core(), n, EphemDate{kFirst + 2.0 + d, 0.0, 1}, 0, dir, v, acc).ok()) {
                state.SkipWithError("ephem failed");
                return;
            }
            benchmark::DoNotOptimize(v);
        }
        d = (d + 1) % kDates;
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}

void BM_IntegrationDates(benchmark::State& state) { run_dates(state, MotionCode::Integration); }

void BM_IntegrationSpan(benchmark::State& state) {
    Fixture& fx = fixture();
    if (!fx.ok) {
        state.SkipWithError("fixture");
        return;
    }
    bench_core().motion.model = MotionCode::Integration;
    const std::string dir = fx.wd->dir_slash();
    EphResultValues v;
    std::int16_t acc = 0;
    std::int32_t n = 1;
    for (auto _ : state) {
        if (!ephem(bench_core(), n, EphemDate{kEpoch + 80.0, 0.0, 1}, 0, dir, v, acc).ok()) {
            state.SkipWithError("ephem failed");
            return;
        }
        benchmark::DoNotOptimize(v);
        n = n % kObjects + 1;
    }
    state.SetItemsProcessed(state.iterations() * 80);
}

BENCHMARK(BM_EllipticDates);
BENCHMARK(BM_NodesDates);
BENCHMARK(BM_NodesObjectsOfDate);
BENCHMARK(BM_IntegrationDates);
BENCHMARK(BM_IntegrationSpan);

}  // namespace
