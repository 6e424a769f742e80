// Writes the opposition files of the package years, the special list and the
// EMP opposition data:
//
//   mkopposition FIRST_YEAR LAST_YEAR DATA_DIR VALUES.txt [--jobs N]
//
// Run in a working directory whose "setpar" describes the package as it
// stands (catalogue epoch and counts, ephemeris span, paths): the catalogue
// and the planetary ephemeris file are read through the library.
//
// "opp<YYYY>" (YYYY = FIRST_YEAR .. LAST_YEAR, at most five years): the
// oppositions of every object of the catalogue in that calendar year, in the
// library's sense (tasks/oppos.h: the heliocentric directions of the object
// and the Earth coincide in projection on the equator, the object the
// farther one; what Datopp looks for), at most three of one object in a year
// as Datopp keeps them. They are found on the integrated orbit (the
// osculating sets of the yearly element files "el<YYYY>", written by the
// step before; each date served by the set nearest it) to 1e-6 day, the Earth
// from the planetary ephemeris file, geometric positions; an object without
// sets in any package year moves on its catalogue elements. 12-byte records
// (double Julian date, i32 catalogue number) in ascending date order, equal
// dates by number.
//
// "uplist": the special list, which the identification and the plate search
// test at every observation instead of finding them by their opposition
// dates (a prediction that assumes a main-belt motion): the objects whose
// perihelion distance is below 1.3 AU (near-Earth objects: their opposition
// says little about where they stand months away from it) and the objects
// with no opposition in the package years; ascending numbers, i32 each,
// every object that the condition selects (some 40,000 of a catalogue of
// 1.45 million objects). A list beyond what the library reads
// (kSpecialListCapacity, far above any catalogue) is refused, not cut.
//
// "empeph": the EMP opposition data are not public, so the package ships the
// file empty (no object has EMP headings) and an empty extra list.
//
// VALUES.txt receives the settings values: opp_counts, special, empeph_list.
//
// The objects are shared out among N worker threads (default: the number of
// processors), each with a library state of its own; the files do not
// depend on N.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/catalog.h"
#include "core/corestate.h"
#include "core/elmnt.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "core/twobody.h"
#include "io/bytes.h"
#include "io/files.h"
#include "io/recfile.h"
#include "tasks/idenew.h"
#include "tasks/libstate.h"
#include "tasks/oppos.h"

using namespace zelvomat;

namespace {

constexpr double kNearEarthPerihelion = 1.3;    // AU
constexpr std::size_t kOppositionsPerYear = 3;  // room of Datopp

[[noreturn]] void die(const std::string& why) {
    std::fprintf(stderr, "mkopposition: %s\n", why.c_str());
    std::exit(1);
}

void check(const Status& s) {
    if (!s) die(s.message());
}

// What one worker found: the oppositions of its objects per year, its
// objects of the special list, its counts.
struct Found {
    std::vector<std::vector<OppositionRecord>> per_year;
    std::vector<std::int32_t> special;
    int objects = 0, skipped = 0, two_body = 0, beyond_three = 0;
};

// The objects part, part + parts, ... of the catalogue, on a library state
// of its own (the settings of the working directory).
void work(int part, int parts, int first_year, int last_year, const std::string& data_dir, const EarthTrack& earth,
          Found& found) {
    LibraryState st;
    ScopedLibraryState current(st);
    CoreState& core = st.core;
    check(in_par(core));
    check(catopen(core.catalogue));
    const double begin = new_year_jd(first_year);
    const double end = new_year_jd(last_year + 1);
    found.per_year.resize(static_cast<std::size_t>(last_year - first_year + 1));
    const std::int32_t total = core.catalogue.counts.total();
    std::vector<double> dates;
    std::vector<ElementSet> orbit;
    for (std::int32_t n = 1 + part; n <= total; n += parts) {
        if (!catalogue_has(core.catalogue, n)) continue;
        auto el = catelem(core.catalogue, n);
        if (!el) die(el.message());
        // The integrated orbit: the object's sets of every package year.
        orbit.clear();
        for (int y = first_year; y <= last_year; ++y) {
            auto sets = yearly_sets(core.element_cache, n, y, data_dir);
            if (!sets) die(sets.message());
            orbit.insert(orbit.end(), sets->begin(), sets->end());
        }
        std::stable_sort(orbit.begin(), orbit.end(),
                         [](const ElementSet& a, const ElementSet& b) { return a[0] < b[0]; });
        if (orbit.empty()) {
            orbit.push_back(*el);
            ++found.two_body;
        }
        dates.clear();
        if (auto s = opposition_times(core, orbit, earth, begin, end, dates); !s) {
            std::fprintf(stderr, "mkopposition: object %d left out: %s\n", n, s.message().c_str());
            ++found.skipped;
            continue;
        }
        ++found.objects;
        std::array<std::size_t, setpar::kPackageYears> in_year{};
        for (double t : dates) {
            const int y = year_of_jd(t);
            if (y < first_year || y > last_year) die("internal error: an opposition outside the years");
            const auto i = static_cast<std::size_t>(y - first_year);
            if (++in_year[i] > kOppositionsPerYear) {
                ++found.beyond_three;
                continue;
            }
            found.per_year[i].push_back({t, n});
        }
        const double a = semiaxis((*el)[6], 0.0);
        if (a * (1.0 - (*el)[5]) < kNearEarthPerihelion || dates.empty()) found.special.push_back(n);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    long jobs = sysconf(_SC_NPROCESSORS_ONLN);
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--jobs" && i + 1 < argc)
            jobs = std::atol(argv[++i]);
        else
            args.emplace_back(argv[i]);
    }
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: mkopposition FIRST_YEAR LAST_YEAR DATA_DIR VALUES.txt [--jobs N]\n");
        return 2;
    }
    const int parts = static_cast<int>(std::clamp(jobs, 1L, 256L));
    const int first_year = std::atoi(args[0].c_str());
    const int last_year = std::atoi(args[1].c_str());
    std::string data_dir = args[2];
    if (data_dir.empty() || data_dir.back() != '/') data_dir += '/';
    if (first_year < 1 || last_year < first_year || last_year - first_year >= setpar::kPackageYears)
        die("the package years must be one to five years");
    const auto years = static_cast<std::size_t>(last_year - first_year + 1);

    const auto started = std::chrono::steady_clock::now();
    // The Earth of the years, once for every worker.
    Result<EarthTrack> earth = error_status("not computed");
    {
        LibraryState st;
        ScopedLibraryState current(st);
        check(in_par(st.core));
        check(de_open(st.core.de, st.core.de_copies, st.core.data_paths));
        earth = earth_track(st.core, new_year_jd(first_year) - 3.0, new_year_jd(last_year + 1) + 3.0, 1.0);
        if (!earth) die(earth.message());
    }
    std::vector<Found> found(static_cast<std::size_t>(parts));
    {
        std::vector<std::thread> threads;
        for (int p = 0; p < parts; ++p)
            threads.emplace_back([&, p] {
                work(p, parts, first_year, last_year, data_dir, *earth, found[static_cast<std::size_t>(p)]);
            });
        for (std::thread& t : threads) t.join();
    }
    std::vector<std::vector<OppositionRecord>> per_year(years);
    std::vector<std::int32_t> special;
    int objects = 0, skipped = 0, two_body = 0, beyond_three = 0;
    for (Found& f : found) {
        for (std::size_t i = 0; i < years; ++i)
            per_year[i].insert(per_year[i].end(), f.per_year[i].begin(), f.per_year[i].end());
        special.insert(special.end(), f.special.begin(), f.special.end());
        objects += f.objects;
        skipped += f.skipped;
        two_body += f.two_body;
        beyond_three += f.beyond_three;
    }
    std::sort(special.begin(), special.end());

    // The opposition files.
    std::array<std::int32_t, setpar::kPackageYears> counts{};
    for (std::size_t i = 0; i < years; ++i) {
        auto& list = per_year[i];
        std::sort(list.begin(), list.end(), [](const OppositionRecord& a, const OppositionRecord& b) {
            return a.jd != b.jd ? a.jd < b.jd : a.number < b.number;
        });
        std::vector<std::uint8_t> bytes(list.size() * OppositionRecord::kLength);
        for (std::size_t k = 0; k < list.size(); ++k)
            list[k].encode(io::MutBytes(bytes).subspan(k * OppositionRecord::kLength, OppositionRecord::kLength));
        check(io::write_file_bytes(data_dir + files::opposition_file(first_year + static_cast<int>(i)), bytes));
        counts[i] = static_cast<std::int32_t>(list.size());
    }

    // The special list and the (empty) EMP data.
    if (special.size() > static_cast<std::size_t>(kSpecialListCapacity))
        die("the special list would hold " + std::to_string(special.size()) + " objects, more than the " +
            std::to_string(kSpecialListCapacity) + " that the library reads");
    std::vector<std::uint8_t> up(special.size() * 4);
    for (std::size_t k = 0; k < special.size(); ++k) io::put_i32(up, k * 4, special[k]);
    check(io::write_file_bytes(data_dir + std::string(files::kSpecialList), up));
    check(io::write_file_bytes(data_dir + std::string(files::kEmpeph), {}));

    std::ofstream values(args[3]);
    values << "opp_counts";
    for (auto c : counts) values << ' ' << c;
    values << "\nspecial " << special.size() << "\nempeph_list 0\n";
    if (!values.flush()) die("cannot write " + args[3]);

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("mkopposition: %d objects, years %d-%d:", objects, first_year, last_year);
    for (std::size_t i = 0; i < years; ++i) std::printf(" %d", counts[i]);
    std::printf(" oppositions; special list %zu", special.size());
    std::printf("; %d on their catalogue elements; %d beyond three in a year; %d left out; %.1f s with %d threads\n",
                two_body, beyond_three, skipped, seconds, parts);
    return 0;
}
