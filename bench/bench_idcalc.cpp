// Identification (IdCalc) of 100 observation lines of one night against the
// whole catalogue of a data package: one call of the export per iteration,
// from the reading of the settings to the last record, as the main program
// makes it.
//
// The lines are those of 100 catalogued objects near opposition (every
// fifth object whose opposition lies within the predicted half width h of
// the window of its line) on the night
// of 2025-03-20 (21h to 3h UT, observatory 000), their places computed by
// the library's two-body and light-time routines. BM_IdCalcNight runs the
// driver as it is; BM_IdCalcNightFullTest gives every candidate the full
// test (the records are the same), for comparison; BM_IdCalcNightOneThread
// tests the lines on the calling thread alone. Wall time.
//
// Uses the package of ZELVO_PACKAGE_WORK, else of the current directory, else
// the full package of the build tree (build/package/work). The runs take
// place in a temporary working directory.
//
// Beside it, Project Pluto's astcheck (Debian pluto-lunar,
// /usr/lib/pluto/lunar/astcheck, or ZELVO_ASTCHECK) on the same objects:
// ZELVO_ASTCHECK_SOF names the "mpcorb.sof" of the package's catalogue
// (bench/mpcorb_to_sof.py writes it from the MPCORB.DAT the package was built
// from). astcheck links observations of one object into a track and checks
// only tracks of two or more, so it gets each line together with a second
// one of the same object 0.01 day later (the place computed the same way);
// the same search radius (30"), no limiting magnitude (-m99: the
// identification has none). BM_AstcheckNightCold removes the ephemeris
// files that astcheck writes for the night (*.chk) before each run,
// BM_AstcheckNightWarm keeps them. Wall time of the whole program, its
// start included.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/apparent.h"
#include "core/catalog.h"
#include "core/datajd.h"
#include "core/destate.h"
#include "core/frames.h"
#include "core/observer.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "core/twobody.h"
#include "core/utils.h"
#include "io/files.h"
#include "tasks/idenew.h"
#include "tasks/libstate.h"
#include "tasks/oppos.h"
#include "zelvomat/zelvomat.h"

namespace fs = std::filesystem;
using namespace zelvomat;

namespace {

constexpr int kLines = 100;

struct Night {
    bool ready = false;
    std::string why;
    fs::path dir;
};

std::string line_text(int n, int y, int m, int d, double frac, double ra, double dec) {
    const double ra_s = std::round(norm2pi(ra) * kDegPerRad * 240.0 * 100.0) / 100.0;  // seconds of time
    const int rh = static_cast<int>(ra_s / 3600.0), rm = static_cast<int>((ra_s - rh * 3600.0) / 60.0);
    const double rs = ra_s - rh * 3600.0 - rm * 60.0;
    const double dec_s = std::round(std::fabs(dec) * kDegPerRad * 3600.0 * 10.0) / 10.0;
    const int dd = static_cast<int>(dec_s / 3600.0), dm = static_cast<int>((dec_s - dd * 3600.0) / 60.0);
    const double ds = dec_s - dd * 3600.0 - dm * 60.0;
    char buf[128];
    std::snprintf(buf, sizeof buf,
                  "     B%06d  C%04d %02d %08.5f %02d %02d %05.2f %c%02d %02d %04.1f          18.0 V      000",
                  n % 1000000, y, m, d + frac, rh, rm, rs, dec < 0 ? '-' : '+', dd, dm, ds);
    std::string s(buf);
    s.resize(80, ' ');
    return s;
}

// Makes the working directory and the lines once per process.
Night& night() {
    static Night nt = [] {
        Night r;
        fs::path work;
        if (const char* e = std::getenv("ZELVO_PACKAGE_WORK"))
            work = e;
        else if (fs::exists("setpar"))
            work = fs::current_path();
        else
            work = fs::path(ZELVO_SOURCE_DIR) / "build" / "package" / "work";
        if (!fs::exists(work / "setpar")) {
            r.why = "no data package (set ZELVO_PACKAGE_WORK to a package's work directory)";
            return r;
        }
        char tmpl[] = "/tmp/zelvo-bench-idcalc-XXXXXX";
        if (::mkdtemp(tmpl) == nullptr) {
            r.why = "no temporary directory";
            return r;
        }
        r.dir = tmpl;
        fs::copy_file(work / "setpar", r.dir / "setpar");
        fs::current_path(r.dir);
        LibraryState lib;
        if (!in_par(lib.core).ok() || !catopen(lib.core.catalogue).ok() ||
            !de_open(lib.core.de, lib.core.de_copies, lib.core.data_paths).ok() ||
            !load_delta_t(lib.core.delta_t, data_file(lib.core.data_paths, files::kDeltaT)).ok()) {
            r.why = "the package cannot be read";
            return r;
        }
        // Objects with an opposition within 60 days of the night.
        std::int32_t day0 = 0;
        double f0 = 0.0;
        caljd(2025, 3, 20, 0.875, day0, f0, DayStart::Civil);  // 21h UT
        const double jd0 = day0 + f0;
        OppositionFile file;
        std::int32_t rec = 0, err = 0;
        struct Opp {
            std::int32_t number;
            double jd;
        };
        std::vector<Opp> objects;
        if (!opfop(lib.core.data_paths.opp_counts, lib.core.package.first_year, lib.core.package.last_year, file,
                   lib.core.data_paths.data_dir, jd0 - 60.0, rec, err)
                 .ok() ||
            rec == 0) {
            r.why = "no opposition file for 2025";
            return r;
        }
        for (std::int32_t k = rec; k <= file.count(); ++k) {
            auto o = file.read(k);
            if (!o || o->jd > jd0 + 60.0) break;
            objects.push_back({o->number, o->jd});
        }
        DeState& de = lib.core.de;
        de.flags = {};
        de.flags[static_cast<std::size_t>(BodyCode::Sun) - 1] = StateLevel::Velocity;
        de.centre = BodyCode::Earth;
        std::string input, tracks;
        // Every fifth object whose opposition lies in the window of its line,
        // as an observer's list of known objects would be identified.
        int made = 0;
        for (std::size_t j = 0; j < objects.size() && made < kLines; j += 5) {
            const std::int32_t n = objects[j].number;
            const double ut = f0 + 0.25 * made / kLines;  // 21h .. 3h
            double dt = 0.0, tt = 0.0;
            deltat(lib.core.delta_t, day0, ut, DeltaTDirection::UtToTt, dt, tt);
            auto el = catelem(lib.core.catalogue, n);
            StateVector p{};
            if (!el || !reade403(lib.core.de, lib.core.de_copies, lib.core.data_paths, day0, tt * 86400.0).ok())
                continue;
            const OrbitElements oe{(*el)[1], (*el)[2], (*el)[3], (*el)[4], (*el)[5], (*el)[6]};
            std::int32_t e0 = 0;
            double ef = 0.0;
            e0 = static_cast<std::int32_t>(std::floor((*el)[0]));
            ef = (*el)[0] - e0;
            // The place at UT ut (the planetary file's Sun read for it).
            auto place_at = [&](double at, SkyDirection& dir) {
                double dt_at = 0.0, tt_at = 0.0;
                deltat(lib.core.delta_t, day0, at, DeltaTDirection::UtToTt, dt_at, tt_at);
                if (!reade403(lib.core.de, lib.core.de_copies, lib.core.data_paths, day0, tt_at * 86400.0).ok() ||
                    !twobody(0.0, e0, ef, oe, day0, tt_at, kObliquityJ2000, p).ok())
                    return false;
                StateVector sun_at{};
                for (std::size_t k = 0; k < 6; ++k) sun_at[k] = de.result[k];
                // Observatory 000, Greenwich.
                const StateVector c =
                    obsvec_j2000(day0, tt_at, at, 0.0, 0.62411 * kParallaxScale, 0.77873 * kParallaxScale);
                lightt(p, sun_at, c, dir, LightTimeRates::Kept);
                return true;
            };
            SkyDirection later;
            if (!place_at(ut + 0.01, later)) continue;
            SkyDirection dir;
            if (!place_at(ut, dir)) continue;
            StateVector sun{};
            for (std::size_t k = 0; k < 6; ++k) sun[k] = de.result[k];
            // Inside the predicted half width h (the driver searches wider).
            const OppositionWindow w = observation_window(day0 + ut, dir.ra, sun[0], sun[1]);
            if (!(std::fabs(objects[j].jd - (day0 + ut + w.shift)) <= w.half)) continue;
            ++made;
            int y = 0, m = 0, d = 0;
            double frac = 0.0;
            jdcal(day0, ut, y, m, d, frac);
            input += line_text(n, y, m, d, frac, dir.ra, dir.dec) + "\r\n";
            tracks += line_text(n, y, m, d, frac, dir.ra, dir.dec) + "\n";
            jdcal(day0, ut + 0.01, y, m, d, frac);
            tracks += line_text(n, y, m, d, frac, later.ra, later.dec) + "\n";
        }
        std::ofstream(r.dir / "tracks.txt", std::ios::binary) << tracks;
        de.flags = {};
        std::ofstream(r.dir / std::string(files::kIdInput), std::ios::binary) << input;
        r.ready = input.size() == static_cast<std::size_t>(kLines) * 82;
        if (!r.ready) r.why = "the lines could not be made";
        return r;
    }();
    return nt;
}

// threads: the workers that test the lines (IdRunState::threads; 0 the
// default: one up to a million objects, else the processors up to 8).
void run_night(benchmark::State& state, bool full_test, int threads = 0) {
    Night& nt = night();
    if (!nt.ready) {
        state.SkipWithError(nt.why.c_str());
        return;
    }
    fs::current_path(nt.dir);
    LibraryState lib;
    ScopedLibraryState current(lib);
    lib.id_run.full_test = full_test;
    lib.id_run.threads = threads;
    int records = 0, found = 0;
    for (auto _ : state) {
        int status = 0, first = 1, last = kLines;
        IdCalc(&status, &first, &last, 30.0, 30.0, nullptr);
        records = status;
    }
    if (errmsg(nullptr, 0) != 0) {
        std::string m(static_cast<std::size_t>(errmsg(nullptr, 0)), ' ');
        errmsg(m.data(), static_cast<int>(m.size()));
        state.SkipWithError(m.c_str());
        return;
    }
    // Lines identified: records that are not the not-found record.
    std::ifstream in(nt.dir / std::string(files::kIdResult), std::ios::binary);
    std::string rec(82, ' ');
    while (in.read(rec.data(), 82))
        if (rec.find("Object not found") == std::string::npos && rec.substr(0, 13) != std::string(13, ' ')) ++found;
    state.SetItemsProcessed(state.iterations() * kLines);
    state.counters["records"] = records;
    state.counters["lines_identified"] = found;
    state.counters["objects"] = lib.core.catalogue.counts.total();
}

}  // namespace

// Wall time: the lines are tested on several threads.
static void BM_IdCalcNight(benchmark::State& state) { run_night(state, false); }
BENCHMARK(BM_IdCalcNight)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_IdCalcNightOneThread(benchmark::State& state) { run_night(state, false, 1); }
BENCHMARK(BM_IdCalcNightOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_IdCalcNightFullTest(benchmark::State& state) { run_night(state, true); }
BENCHMARK(BM_IdCalcNightFullTest)->Unit(benchmark::kMillisecond)->UseRealTime();

// astcheck on the same objects (see the top of the file).
static void run_astcheck(benchmark::State& state, bool cold) {
    Night& nt = night();
    const char* sof = std::getenv("ZELVO_ASTCHECK_SOF");
    const char* prog_env = std::getenv("ZELVO_ASTCHECK");
    const std::string prog = prog_env != nullptr ? prog_env : "/usr/lib/pluto/lunar/astcheck";
    if (!nt.ready) {
        state.SkipWithError(nt.why.c_str());
        return;
    }
    if (sof == nullptr || !fs::exists(sof) || !fs::exists(prog)) {
        state.SkipWithError("no astcheck or no ZELVO_ASTCHECK_SOF (bench/mpcorb_to_sof.py)");
        return;
    }
    const fs::path dir = nt.dir / "astcheck";
    fs::create_directories(dir);
    std::error_code ec;
    fs::remove(dir / "mpcorb.sof", ec);
    fs::create_symlink(fs::absolute(sof), dir / "mpcorb.sof");
    // Observatory 000 in the layout of the MPC's list of codes, for the parallax.
    std::ofstream(dir / "ObsCodes.html")
        << "Code  Long.   cos      sin    Name\n000   0.0000 0.62411 +0.77873 Greenwich\n";
    fs::copy_file(nt.dir / "tracks.txt", dir / "tracks.txt", fs::copy_options::overwrite_existing);
    const std::string cmd = "cd '" + dir.string() + "' && '" + prog + "' tracks.txt -r30 -m99 > result.txt 2>&1";
    auto clear = [&] {
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().extension() == ".chk") fs::remove(e.path());
    };
    if (!cold && std::system(cmd.c_str()) != 0) {  // the ephemeris files, made once
        state.SkipWithError("astcheck failed");
        return;
    }
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            clear();
            state.ResumeTiming();
        }
        if (std::system(cmd.c_str()) != 0) {
            state.SkipWithError("astcheck failed");
            return;
        }
    }
    // Tracks matched: tracks (headed "     B...:") under which astcheck lists
    // at least one object (a line of the object's name and numbers).
    std::ifstream in(dir / "result.txt");
    std::string line;
    bool open_track = false;
    int matched = 0;
    while (std::getline(in, line)) {
        if (line.compare(0, 6, "     B") == 0 && line.find(':') != std::string::npos) {
            open_track = true;
            continue;
        }
        if (!open_track || line.find_first_not_of(' ') == std::string::npos) continue;
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string x; words >> x;) w.push_back(x);
        int numbers = 0;
        for (std::size_t k = w.size() >= 5 ? w.size() - 5 : 0; k < w.size(); ++k)
            numbers += w[k].find_first_not_of("+-.0123456789") == std::string::npos ? 1 : 0;
        if (numbers == 5) ++matched;
        open_track = false;
    }
    state.counters["tracks_matched"] = matched;
    state.SetItemsProcessed(state.iterations() * kLines);
}

static void BM_AstcheckNightCold(benchmark::State& state) { run_astcheck(state, true); }
BENCHMARK(BM_AstcheckNightCold)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_AstcheckNightWarm(benchmark::State& state) { run_astcheck(state, false); }
BENCHMARK(BM_AstcheckNightWarm)->Unit(benchmark::kMillisecond)->UseRealTime();
