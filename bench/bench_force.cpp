// Force model of the main integration (force2) with the planets from the
// planetary ephemeris file, and the Gauss-Radau integration of a typical
// minor planet with it.
//
// Uses the full file of the bundled package (build/package/el/coorbp, or the
// file named by the environment variable ZELVO_EPHEMERIS) when it exists,
// else the test excerpt of three records (JD 2451536.5 - 2451632.5).
//
// Set-up as the position routine uses it: the object and Ceres, Pallas,
// Vesta (12 components), all twelve perturbers on (the Earth at the
// Earth-Moon barycentre), the reader asked for positions and velocities of
// all bodies, order 15 (and 11), LL = 10, two iterations.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/corestate.h"
#include "core/destate.h"
#include "core/force.h"
#include "core/radau.h"
#include "core/reade403.h"
#include "io/bytes.h"
#include "io/files.h"
#include "io/recfile.h"

using namespace zelvomat;

namespace {

// The bench's own state: the planetary ephemeris file and its readers, the
// motion model and the integrated bodies.
CoreState& bench_core() {
    static CoreState core;
    return core;
}

bool open_file() {
    static int state = 0;  // 0 not tried, 1 open, -1 failed
    if (state != 0) return state > 0;
    std::string path;
    if (const char* env = std::getenv("ZELVO_EPHEMERIS")) path = env;
    if (path.empty() || !io::file_exists(path)) path = std::string(ZELVO_SOURCE_DIR) + "/build/package/el/coorbp";
    if (!io::file_exists(path)) path = std::string(ZELVO_SOURCE_DIR) + "/tests/data/coorbp_de405_excerpt";
    auto f = io::RecordFile::open(path, kDeRecordBytes, io::OpenMode::Read);
    if (!f) return (state = -1) > 0;
    auto head = f->read(1);
    if (!head) return (state = -1) > 0;
    DeState& de = bench_core().de;
    de.first_jd = io::get_f64(*head, 2652);
    de.last_jd = io::get_f64(*head, 2660);
    state = de_open(bench_core().de, bench_core().de_copies, path).ok() ? 1 : -1;
    if (state > 0) std::printf("ephemeris file %s, JD %.1f to %.1f\n", path.c_str(), de.first_jd, de.last_jd);
    return state > 0;
}

// The start of the integrations: one day into the file, or 2000-01-01 when
// the file covers it with a year to spare.
double start_jd() {
    const DeState& de = bench_core().de;
    return (de.first_jd <= 2451545.0 && de.last_jd >= 2451545.0 + 400.0) ? 2451545.0 : de.first_jd + 1.0;
}

// Days that can be integrated from start_jd: a year, or what the file has.
double span_days() {
    const double left = bench_core().de.last_jd - start_jd() - 1.0;
    return left < 365.25 ? left : 365.25;
}

void setup_model() {
    force_reader_setup(bench_core().de);
    MotionConfig& m = bench_core().motion;
    m = {};
    m.catalogue_epoch = start_jd();
    m.perturber_switch.fill(1);
    m.perturber_switch[perturber_index(Perturber::Earth)] = kEarthAsBarycentre;
    m.minor_perturbers = 3;
    bench_core().integrated_bodies.count = 1;
}

// A main-belt object (a = 2.7 AU, e = 0.15, inclined 0.2 rad) at perihelion,
// and Ceres-, Pallas- and Vesta-like bodies on circular orbits.
void start_state(double* x, double* v) {
    const double k2 = kGaussK2;
    const double q = 2.7 * 0.85, vq = std::sqrt(k2 * 1.15 / q);
    const double s[4][2] = {{q, 0.0}, {2.77, 1.0}, {2.77, 2.5}, {2.36, 4.0}};  // radius, longitude
    for (int b = 0; b < 4; ++b) {
        const double r = s[b][0], l = s[b][1];
        const double w = b == 0 ? vq : std::sqrt(k2 / r);
        x[3 * b] = r * std::cos(l);
        x[3 * b + 1] = r * std::sin(l);
        x[3 * b + 2] = 0.0;
        v[3 * b] = -w * std::sin(l) * std::cos(0.2);
        v[3 * b + 1] = w * std::cos(l) * std::cos(0.2);
        v[3 * b + 2] = w * std::sin(0.2);
    }
}

// One force2 evaluation; successive calls step through the dates of an
// integration (0.3 days apart, a record read every 32 days), or jump to
// dates that lie in other records of the file. positions_only: the reader is
// asked for positions alone (the force models use no more) instead of
// positions and velocities.
void BM_Force2(benchmark::State& state, bool jumping, bool positions_only) {
    if (!open_file()) {
        state.SkipWithError("no planetary ephemeris file");
        return;
    }
    setup_model();
    if (positions_only) bench_core().de.force_flags.fill(StateLevel::Position);
    double x[12], v[12], a[12];
    start_state(x, v);
    const double span = bench_core().de.last_jd - bench_core().de.first_jd - 2.0;
    double t = 0.0, step = jumping ? 97.3 : 0.3;
    const double t0 = bench_core().de.first_jd + 1.0 - start_jd();
    ForceContext ctx = force_context(bench_core());
    for (auto _ : state) {
        if (!force2(&ctx, x, v, t0 + t, a)) {
            state.SkipWithError(ctx.failure.message().c_str());
            return;
        }
        benchmark::DoNotOptimize(a);
        t = std::fmod(t + step, span);
    }
    state.SetItemsProcessed(state.iterations());
}

// radau + force2 over a year (or over what the file holds), reported per
// year integrated.
void BM_RadauForce2(benchmark::State& state) {
    if (!open_file()) {
        state.SkipWithError("no planetary ephemeris file");
        return;
    }
    const auto nor = static_cast<std::int32_t>(state.range(0));
    setup_model();
    const double days = span_days();
    std::int64_t sequences = 0, evaluations = 0;
    for (auto _ : state) {
        double x[12], v[12];
        start_state(x, v);
        std::int32_t nf = 0, ns = 0, ncl = kRadauSecondOrder;
        ForceContext ctx = force_context(bench_core());
        const Status st = radau(x, v, 0.0, days, 0.0, 10, 12, 2, nf, ns, ncl, nor, radau_force_of(force2, ctx));
        if (!st.ok()) {
            state.SkipWithError((st.message() + " " + ctx.failure.message()).c_str());
            return;
        }
        benchmark::DoNotOptimize(x);
        sequences += ns;
        evaluations += nf;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["days"] = days;
    state.counters["sequences"] = static_cast<double>(sequences) / n;
    state.counters["force_evals"] = static_cast<double>(evaluations) / n;
    // Seconds of computing per year integrated.
    state.counters["s_per_year"] =
        benchmark::Counter(days / 365.25, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK_CAPTURE(BM_Force2, integration_dates, false, false);
BENCHMARK_CAPTURE(BM_Force2, jumping_records, true, false);
BENCHMARK_CAPTURE(BM_Force2, integration_dates_positions_only, false, true);
BENCHMARK(BM_RadauForce2)->Arg(15)->Arg(11)->Unit(benchmark::kMillisecond);
