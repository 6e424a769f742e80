// The plate search: PltCalc per plate on the whole catalogue of a built data
// package, and the parts of one call (set-up, candidates and their test,
// sort).
//
// Run in the working directory of a built data package (tools/make_package.sh
// BUILD OUT_DIR: OUT_DIR/work), or give it in ZELVO_PACKAGE_WORK. The plates
// are 6 x 6 degrees, centred on the point opposite the Sun and 30 degrees
// east of it, at dates spread over the package years; the result files are
// written into a scratch directory holding a copy of "setpar".
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/apparent.h"
#include "core/corestate.h"
#include "core/datajd.h"
#include "core/setpar.h"
#include "core/utils.h"
#include "io/fields.h"
#include "tasks/oppos.h"
#include "tasks/pltcalc.h"
#include "tasks/taskhead.h"
#include "zelvomat/zelvomat.h"

using namespace zelvomat;

namespace {

// A scratch working directory with the package's "setpar" (its paths are
// absolute), entered once for the whole program; info: the package's settings.
bool enter_scratch(benchmark::State& state, PackageInfo& info) {
    static int entered = 0;  // 0 not tried, 1 ok, -1 failed
    static CoreState core;   // the settings read when it is entered
    if (entered == 0) {
        entered = -1;
        if (const char* dir = std::getenv("ZELVO_PACKAGE_WORK"); dir != nullptr && ::chdir(dir) != 0) {
            state.SkipWithError("ZELVO_PACKAGE_WORK cannot be entered");
            return false;
        }
        std::error_code ec;
        if (!std::filesystem::exists("setpar")) {
            state.SkipWithError("no data package here (set ZELVO_PACKAGE_WORK to a package's work directory)");
            return false;
        }
        const auto scratch = std::filesystem::temp_directory_path() / "zelvo-bench-pltcalc";
        std::filesystem::create_directories(scratch, ec);
        std::filesystem::copy_file("setpar", scratch / "setpar", std::filesystem::copy_options::overwrite_existing, ec);
        if (ec || ::chdir(scratch.c_str()) != 0) {
            state.SkipWithError("no scratch directory");
            return false;
        }
        if (!in_par(core).ok()) {
            state.SkipWithError("the package settings cannot be read");
            return false;
        }
        entered = 1;
    }
    info = core.package;
    return entered == 1;
}

// A plate line: date (UT) and centre, half sizes 12 minutes of time and 3
// degrees, observatory 000.
std::string plate_line(int year, int month, int day, double ra, double dec) {
    std::string s(80, ' ');
    put_columns(s, 1, "BENCH");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%4d%3d%3d.50000", year, month, day);
    put_columns(s, 16, buf);
    char sign = '+';
    int h = 0, m = 0, d = 0, am = 0;
    double sec = 0, as = 0;
    raddms(ra / 15.0, sign, h, m, sec, 2);
    if (h >= 24) h -= 24;
    put_columns(s, 33, io::fmt_i(h, 2) + io::fmt_i(m, 3) + io::fmt_f(sec, 6, 2));
    raddms(dec, sign, d, am, as, 1);
    put_columns(s, 45,
                std::string(1, sign == '-' ? '-' : '+') + io::fmt_i(d, 2) + io::fmt_i(am, 3) + io::fmt_f(as, 5, 1));
    put_columns(s, 59, " 12.0");
    put_columns(s, 67, " 3.0");
    put_columns(s, 78, "000");
    return s;
}

// Plates at the anti-solar point (offset 0) or east of it, on the ecliptic,
// at the 5th of the months March to October of each package year.
std::vector<std::string> plates(const PackageInfo& p, double offset_deg) {
    std::vector<std::string> out;
    for (int y = p.first_year; y <= p.last_year; ++y)
        for (int mo = 3; mo <= 10; ++mo) {
            std::int32_t jd = 0;
            double fr = 0;
            caljd(y, mo, 5, 0.5, jd, fr, DayStart::Civil);
            // Mean longitude of the Sun (degrees), good to a degree or two.
            const double t = static_cast<double>(jd) + fr - 2451545.0;
            const double sun = 280.46 + 0.9856474 * t;
            const double lon = norm2pi((sun + 180.0 + offset_deg) / kDegPerRad);
            const double eps = 0.4090928042223;
            const double ra = norm2pi(std::atan2(std::sin(lon) * std::cos(eps), std::cos(lon)));
            const double dec = std::asin(std::sin(lon) * std::sin(eps));
            out.push_back(plate_line(y, mo, 5, ra, dec));
        }
    return out;
}

void run_plates(benchmark::State& state, double offset_deg) {
    PackageInfo info;
    if (!enter_scratch(state, info)) return;
    const auto lines = plates(info, offset_deg);
    std::size_t i = 0;
    long long objects = 0, calls = 0;
    for (auto _ : state) {
        const std::string& line = lines[i++ % lines.size()];
        int found = -1;
        PltCalc(line.data(), static_cast<int>(line.size()), 25.0, &found);
        if (found < 0 || errmsg(nullptr, 0) != 0) {
            state.SkipWithError("PltCalc failed");
            return;
        }
        objects += found;
        ++calls;
        std::filesystem::resize_file("result.pl4", 0);  // the caller empties the result
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["objects_per_plate"] = calls ? static_cast<double>(objects) / static_cast<double>(calls) : 0.0;
}

}  // namespace

// One plate per iteration: the whole call (settings, catalogue, ephemeris
// file, header, candidates, sort, result files).
static void BM_PltCalcAtOpposition(benchmark::State& state) { run_plates(state, 0.0); }
BENCHMARK(BM_PltCalcAtOpposition)->Unit(benchmark::kMillisecond);

static void BM_PltCalc30DegreesEast(benchmark::State& state) { run_plates(state, 30.0); }
BENCHMARK(BM_PltCalc30DegreesEast)->Unit(benchmark::kMillisecond);

// The sort of the kept objects alone, for 250 and 5000 objects.
static void BM_PlateOrder(benchmark::State& state) {
    std::mt19937 gen(3);
    std::uniform_real_distribution<float> u(0.0f, 6.28f);
    std::vector<float> keys(static_cast<std::size_t>(state.range(0)));
    for (auto& k : keys) k = u(gen);
    for (auto _ : state) benchmark::DoNotOptimize(plate_order(keys));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PlateOrder)->Arg(250)->Arg(5000);
