// Minimum orbit intersection distance: one Earth MOID per pair of orbits.
//
// The orbits are those of tests/data/moid_objects.txt (real minor planets of
// every class, with the Earth's osculating orbit), and groups by step: the
// 1.5- and 1.0-degree scans of the Earth's orbit for objects of low
// inclination and eccentricity, the 0.2-degree scan of the object otherwise.
#include <benchmark/benchmark.h>

#include <charconv>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/orbprop.h"
#include "core/utils.h"
#include "zelvomat/zelvomat.h"

namespace {

struct Orbit {
    double el[6]{};
    double a = 0.0;
};

double num(const std::string& s) {
    double v = 0.0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

Orbit make(const std::vector<std::string>& w, std::size_t first) {
    constexpr double d = zelvomat::kPi / 180.0;
    Orbit o;
    o.a = num(w[first]);
    o.el[1] = num(w[first + 4]) * d;
    o.el[2] = num(w[first + 3]) * d;
    o.el[3] = num(w[first + 2]) * d;
    o.el[4] = num(w[first + 1]);
    o.el[5] = zelvomat::meanmot(o.a, 0.0);
    return o;
}

struct Pairs {
    Orbit earth;
    std::vector<Orbit> objects;
};

const Pairs& pairs() {
    static const Pairs p = [] {
        Pairs out;
        std::ifstream in(std::string(ZELVO_SOURCE_DIR) + "/tests/data/moid_objects.txt");
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream ls(line);
            std::vector<std::string> w;
            for (std::string t; ls >> t;) w.push_back(t);
            if (w[0] == "earth")
                out.earth = make(w, 1);
            else
                out.objects.push_back(make(w, 0));
        }
        return out;
    }();
    return p;
}

// Objects whose scan uses the given step (degrees); 0 takes them all.
std::vector<Orbit> with_step(double step) {
    std::vector<Orbit> out;
    for (const Orbit& o : pairs().objects)
        if (step == 0.0 || zelvomat::moid_plan(zelvomat::OrbitElements::from(o.el)).step_deg == step) out.push_back(o);
    return out;
}

void run(benchmark::State& state, double step) {
    const std::vector<Orbit> objs = with_step(step);
    if (objs.empty()) {
        state.SkipWithError("no orbits (tests/data/moid_objects.txt missing?)");
        return;
    }
    const Orbit& earth = pairs().earth;
    std::size_t i = 0;
    for (auto _ : state) {
        const Orbit& o = objs[i++ % objs.size()];
        double m = 0.0;
        Moid(earth.el, earth.a, o.el, o.a, &m);
        benchmark::DoNotOptimize(m);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["orbits"] = static_cast<double>(objs.size());
}

void BM_Moid_AllObjects(benchmark::State& state) { run(state, 0.0); }
void BM_Moid_Step1_5(benchmark::State& state) { run(state, 1.5); }
void BM_Moid_Step1_0(benchmark::State& state) { run(state, 1.0); }
void BM_Moid_Step0_2(benchmark::State& state) { run(state, 0.2); }
BENCHMARK(BM_Moid_AllObjects);
BENCHMARK(BM_Moid_Step1_5);
BENCHMARK(BM_Moid_Step1_0);
BENCHMARK(BM_Moid_Step0_2);

}  // namespace
