// States of bodies from the planetary ephemeris file (JPL DE405 in the DE403
// binary layout): position, velocity and acceleration.
//
// Uses the full file of the bundled package (build/package/el/coorbp, or the
// file named by the environment variable ZELVO_EPHEMERIS) when it exists,
// else the test excerpt of three records.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/corestate.h"
#include "core/destate.h"
#include "core/reade403.h"
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

// Opens the file and takes its span from its header record (start and end
// Julian dates at bytes 2652 and 2660).
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

std::vector<double> random_dates(double from, double to, std::size_t n) {
    std::mt19937_64 rng(20240601);
    std::uniform_real_distribution<double> u(from, to);
    std::vector<double> d(n);
    for (double& x : d) x = u(rng);
    return d;
}

// One body relative to another at random dates of the whole span: nearly
// every call switches records.
void BM_BodyStateRandomDates(benchmark::State& state, int target, int centre) {
    if (!open_file()) {
        state.SkipWithError("no planetary ephemeris file");
        return;
    }
    const DeState& de = bench_core().de;
    const auto dates = random_dates(de.first_jd, de.last_jd, 1 << 16);
    std::size_t i = 0;
    State9 s;
    for (auto _ : state) {
        if (!bodystate(bench_core().de, bench_core().de_copies, bench_core().data_paths, DeReader::Position, dates[i],
                       target, centre, s)
                 .ok()) {
            state.SkipWithError("reader failed");
            break;
        }
        benchmark::DoNotOptimize(s);
        i = (i + 1) & (dates.size() - 1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_BodyStateRandomDates, JupiterFromSun, 5, 11);
BENCHMARK_CAPTURE(BM_BodyStateRandomDates, MercuryFromSun, 1, 11);
BENCHMARK_CAPTURE(BM_BodyStateRandomDates, EarthFromSun, 3, 11);
BENCHMARK_CAPTURE(BM_BodyStateRandomDates, MoonFromEarth, 10, 3);

// Random dates inside one 32-day record: the record is held.
void BM_BodyStateOneRecord(benchmark::State& state, int target, int centre) {
    if (!open_file()) {
        state.SkipWithError("no planetary ephemeris file");
        return;
    }
    const DeState& de = bench_core().de;
    const double from = de.first_jd + kDeRecordDays * 1;
    const auto dates = random_dates(from, from + kDeRecordDays - 1e-6, 1 << 12);
    std::size_t i = 0;
    State9 s;
    for (auto _ : state) {
        if (!bodystate(bench_core().de, bench_core().de_copies, bench_core().data_paths, DeReader::Position, dates[i],
                       target, centre, s)
                 .ok()) {
            state.SkipWithError("reader failed");
            break;
        }
        benchmark::DoNotOptimize(s);
        i = (i + 1) & (dates.size() - 1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_BodyStateOneRecord, JupiterFromSun, 5, 11);
BENCHMARK_CAPTURE(BM_BodyStateOneRecord, EarthFromSun, 3, 11);

// reade403 as the position routine calls it: Mars, heliocentric, level 3.
void BM_Reade403MarsRandomDates(benchmark::State& state) {
    if (!open_file()) {
        state.SkipWithError("no planetary ephemeris file");
        return;
    }
    DeState& de = bench_core().de;
    de.flags = {};
    de.flags[static_cast<int>(BodyCode::Mars) - 1] = StateLevel::Acceleration;
    de.centre = BodyCode::Sun;
    const auto dates = random_dates(de.first_jd, de.last_jd, 1 << 16);
    std::size_t i = 0;
    for (auto _ : state) {
        if (!reade403(bench_core().de, bench_core().de_copies, bench_core().data_paths, dates[i], 0.0).ok()) {
            state.SkipWithError("reader failed");
            break;
        }
        benchmark::DoNotOptimize(de.result);
        i = (i + 1) & (dates.size() - 1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Reade403MarsRandomDates);

// read403b as the force models call it: the nine planets, the Moon and the
// Sun relative to the Sun, level 3, successive dates a fraction of a day apart.
void BM_Read403bAllBodies(benchmark::State& state) {
    if (!open_file()) {
        state.SkipWithError("no planetary ephemeris file");
        return;
    }
    DeState& de = bench_core().de;
    de.force_flags = {};
    for (int b = 1; b <= 11; ++b) de.force_flags[b - 1] = StateLevel::Acceleration;
    de.force_centre = BodyCode::Sun;
    double t = de.first_jd;
    for (auto _ : state) {
        if (!read403b(bench_core().de, bench_core().de_copies, bench_core().body_table, bench_core().data_paths, t)
                 .ok()) {
            state.SkipWithError("reader failed");
            break;
        }
        benchmark::DoNotOptimize(bench_core().body_table);
        t += 0.37;
        if (t > de.last_jd) t = de.first_jd;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Read403bAllBodies);

}  // namespace
