// The work of the yearly element files per object and year, as the package
// tool does it: the object and Ceres, Pallas, Vesta integrated with the full
// force model (planets from the ephemeris file, the Earth and the Moon apart,
// relativity; order 11, LL 10, two iterations) from the catalogue epoch to
// the first set of the year, then through eight sets 15 days apart, with the
// osculating elements taken at each set.
//
// Uses the full package's ephemeris file (build/package/el/coorbp, made by
// tools/make_package.sh build build/package); skipped without it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/corestate.h"
#include "core/force.h"
#include "core/frames.h"
#include "core/radau.h"
#include "core/reade403.h"
#include "core/twobody.h"
#include "io/bytes.h"
#include "io/files.h"
#include "io/recfile.h"

using namespace zelvomat;

namespace {

// The library's state for these benchmarks.
CoreState& bench_core() {
    static CoreState core;
    return core;
}

bool open_full_file() {
    static int state = 0;
    if (state != 0) return state > 0;
    const std::string path = std::string(ZELVO_SOURCE_DIR) + "/build/package/el/coorbp";
    auto f = io::RecordFile::open(path, kDeRecordBytes, io::OpenMode::Read);
    auto head = f ? f->read(1) : Result<std::vector<std::uint8_t>>(error_status("no file"));
    if (!head) return (state = -1) > 0;
    bench_core().de.first_jd = io::get_f64(*head, 2652);
    bench_core().de.last_jd = io::get_f64(*head, 2660);
    state = de_open(bench_core().de, bench_core().de_copies, path).ok() ? 1 : -1;
    return state > 0;
}

constexpr double kEpoch = 2461000.5;  // the package's catalogue epoch
constexpr double kK = 0.01720209895;

OrbitElements elements(double a, double e, double incl_deg, double node_deg, double peri_deg, double m_deg) {
    const double r = 3.14159265358979323846 / 180.0;
    OrbitElements el{};
    el.mean_anomaly = m_deg * r;
    el.arg_perihelion = peri_deg * r;
    el.node = node_deg * r;
    el.incl = incl_deg * r;
    el.ecc = e;
    el.mean_motion = kK / (a * std::sqrt(a));
    return el;
}

void push(std::vector<double>& x, std::vector<double>& v, const OrbitElements& el) {
    StateVector s{};
    (void)twobody(0.0, 0, 0.0, el, 0, 0.0, kObliquityJ2000, s);
    x.insert(x.end(), s.begin(), s.begin() + 3);
    v.insert(v.end(), s.begin() + 3, s.end());
}

void BM_YearlySetsOfOneObject(benchmark::State& state) {
    if (!open_full_file()) {
        state.SkipWithError("the full package is not built (tools/make_package.sh build build/package)");
        return;
    }
    // A main-belt object and Ceres, Pallas and Vesta (rounded published elements).
    const OrbitElements object = elements(2.7, 0.15, 8.0, 120.0, 60.0, 10.0);
    const OrbitElements pert[3] = {elements(2.767, 0.079, 10.59, 80.27, 73.6, 20.0),
                                   elements(2.772, 0.230, 34.93, 172.9, 310.9, 5.0),
                                   elements(2.362, 0.089, 7.14, 103.8, 151.5, 150.0)};
    const double first_set = kEpoch + 200.0;
    long sets = 0;
    for (auto _ : state) {
        force_reader_setup(bench_core().de);
        MotionConfig& m = bench_core().motion;
        m = {};
        m.catalogue_epoch = kEpoch;
        m.relativity = 1;
        m.model = MotionCode::Integration;
        m.perturber_switch.fill(1);
        m.perturber_switch[perturber_index(Perturber::Earth)] = kEarthAndMoon;
        bench_core().integrated_bodies.count = 1;
        std::vector<double> x, v;
        push(x, v, object);
        for (const auto& p : pert) push(x, v, p);
        double t = 0.0, size = 0.0;
        for (int k = 0; k < 8; ++k) {
            const double t1 = first_set + 15.0 * k - kEpoch;
            std::int32_t nf = 0, ns = 0, ncl = kRadauSecondOrderVelocity;
            ForceContext ctx = force_context(bench_core());
            RadauOptions opt;
            opt.first_size = size;
            opt.next_size = &size;
            const Status s = radau(x, v, t, t1, 5.0, 10, static_cast<std::int32_t>(x.size()), 2, nf, ns, ncl, 11,
                                   radau_force_of(force2, ctx), opt);
            if (!s) {
                state.SkipWithError(s.message().c_str());
                return;
            }
            t = t1;
            OrbitElements el{};
            const StateVector sv{x[0], x[1], x[2], v[0], v[1], v[2]};
            benchmark::DoNotOptimize(stateel(0.0, sv, el, kObliquityJ2000));
            ++sets;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["sets"] = benchmark::Counter(static_cast<double>(sets), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_YearlySetsOfOneObject)->Unit(benchmark::kMillisecond);

}  // namespace
