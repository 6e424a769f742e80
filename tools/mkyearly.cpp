// Brings the element catalogue of the data package to its epoch and writes
// the yearly element files, both by numerical integration with the library's
// Gauss-Radau integrator and force model.
//
//   mkyearly epoch DATA_DIR OUT_VALUES EPOCH_JD FIRST_YEAR LAST_YEAR VALUES.txt... [--jobs N] [--sources FILE]
//   mkyearly years DATA_DIR OUT_VALUES VALUES.txt... [--jobs N] [--numbered] [--hmax H]
//   mkyearly assemble DATA_DIR OUT_VALUES VALUES.txt... [--jobs N]
//
// VALUES.txt are the settings values the earlier package steps left (lines
// "key value ..."; a later file overrides an earlier one): eph_first_jd,
// eph_last_jd, catalogue_epoch, objects, perturber1-3, and for "years"
// first_year and last_year.
//
// Force model (heliocentric, mean equator and equinox J2000, AU and days):
// the Sun; Mercury .. Pluto from the planetary ephemeris file "coorbp" with
// the Earth and the Moon as two bodies; Ceres, Pallas and Vesta integrated
// along with every object from their settings elements; the Sun's
// relativistic term. Integrator: RADAU order 11, sequence-size exponent
// LL = 10, two iterations, class 2 (the relativistic term depends on the
// velocity): the settings of the library's position routine. Object 134340
// (Pluto, when the catalogue holds it) is integrated without Pluto's
// attraction. Absent objects (all elements zero) are left as they are.
//
// "epoch": integrates every catalogue object and the three perturbers from
// the catalogue epoch of the values to EPOCH_JD (TT), rewrites "elitel"
// (same 48-byte records: M, peri, node, incl, e, n; ecliptic J2000) and
// writes to OUT_VALUES catalogue_epoch, first_year, last_year and
// perturber1-3 at the new epoch.
//
// The comets edition (settings value comet_edition 1): the force model of
// the library's comet mode (force2c: the relativistic term on the object
// only, and the object's nongravitational force with A1, A2, A3 of its
// "ngr.eff" record). "epoch" with --sources FILE (written by mkcatalogue
// --comets: per line the catalogue number, the object's own epoch and its
// elements there) starts each listed object at its own epoch instead of the
// catalogue epoch, the three perturbers integrated to that epoch first; an
// own epoch outside the planetary ephemeris file is brought to the file's
// nearest end (one day inside it) by two-body motion.
//
// "years": writes "ad<YYYY>" and "el<YYYY>" (layout in zelvomat/core/elmnt.h)
// for the package years, each set an osculating element set of the
// integration started from the catalogue elements and the settings'
// perturber elements at the catalogue epoch, as the position routine starts
// its own. The sets of a year:
//   - an object whose perihelion lies beyond 1.3 AU and that comes to
//     opposition (the library's sense, tasks/oppos.h: its geocentric right
//     ascension that of the point opposite the Sun; by two-body motion from
//     the catalogue elements) once in the year: kWindowSets sets kWindowSpacing days apart, centred
//     on the opposition; they cover the opposition +-60 days, and a date in
//     that window lies within 60/count days of a set, which is what the
//     element search accepts. No opposition in the year: no sets.
//   - a near-Earth object (perihelion within 1.3 AU; its "opposition" gives
//     no useful window) or an object with two oppositions in the year:
//     kYearSets sets kYearSpacing days apart through the whole year. These
//     objects follow all window objects in "el<YYYY>", and the year's
//     settings record 8 value (element_values) is the number of window sets,
//     so that the element search accepts their sets at any date of the year:
//     no date of the year lies more than kYearSpacing/2 days from a set.
// OUT_VALUES receives element_values.
//
// "years" with --numbered or --hmax H computes sets only for the numbered
// objects, or only for the objects of absolute magnitude H or brighter (both:
// the numbered ones of H or brighter); the others get no sets, and the
// element search gives them the catalogue elements moved by two-body motion
// (its "not accepted" flag set). Without them every object gets its sets: a
// year of more sets than the 32-bit index word of "ad<YYYY>" addresses
// (2,147,482) gets the wide index (elmnt.h); a build whose files would not
// fit on the disk is refused before anything is integrated, with a message
// that names the options.
//
// Both modes share the objects out among N worker threads (each with a
// library state of its own; default: the number of processors), which write
// their results to scratch files beside OUT_VALUES; the main thread
// assembles them. "assemble" does only that last part, from scratch files
// OUT_VALUES.part0 .. part<N-1> that stand there (VALUES give objects,
// first_year, last_year).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/catalog.h"
#include "core/datajd.h"
#include "core/destate.h"
#include "core/elmnt.h"
#include "core/force.h"
#include "core/frames.h"
#include "core/radau.h"
#include "core/reade403.h"
#include "core/twobody.h"
#include "core/utils.h"
#include "io/bytes.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/mapfile.h"
#include "io/recfile.h"
#include "tasks/libstate.h"
#include "tasks/oppos.h"

using namespace zelvomat;

namespace {

// Integration settings of the position routine.
constexpr std::int32_t kOrder = 11;
constexpr std::int32_t kLL = 10;
constexpr std::int32_t kIterations = 2;
constexpr std::int32_t kPlutoNumber = 134340;

// Sets of the yearly files.
constexpr int kWindowSets = 8;                // sets around one opposition
constexpr double kWindowSpacing = 15.0;       // days: 8 x 15 = 120 days, opposition +-60
constexpr int kYearSets = 37;                 // sets through a whole year
constexpr double kYearSpacing = 10.0;         // days, the first 5 days after 1 January
constexpr double kNearEarthPerihelion = 1.3;  // AU

[[noreturn]] void die(const std::string& why) {
    std::fprintf(stderr, "mkyearly: %s\n", why.c_str());
    std::exit(1);
}

// ---- Settings values -----------------------------------------------------------

using Values = std::map<std::string, std::vector<double>>;

Values read_values(const std::vector<std::string>& paths) {
    Values v;
    for (const std::string& p : paths) {
        std::ifstream in(p);
        if (!in) die("cannot read " + p);
        in.imbue(std::locale::classic());
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream ls(line);
            ls.imbue(std::locale::classic());
            std::string key;
            if (!(ls >> key) || key[0] == '#') continue;
            std::vector<double> nums;
            double x = 0;
            while (ls >> x) nums.push_back(x);
            v[key] = nums;
        }
    }
    return v;
}

double value(const Values& v, const std::string& key) {
    const auto it = v.find(key);
    if (it == v.end() || it->second.empty()) die("no value " + key + " in the settings values");
    return it->second[0];
}

OrbitElements perturber(const Values& v, int k) {
    const std::string key = "perturber" + std::to_string(k);
    const auto it = v.find(key);
    if (it == v.end() || it->second.size() != 6) die("no value " + key + " (6 elements) in the settings values");
    return OrbitElements::from(it->second.data());
}

// ---- The catalogue ---------------------------------------------------------------

struct Catalogue {
    std::string path;
    std::vector<std::uint8_t> bytes;  // "elitel" whole
    std::int32_t count() const { return static_cast<std::int32_t>(bytes.size() / catalogue::kElementRecord); }
    OrbitElements get(std::int32_t n) const {
        const io::Bytes rec(bytes.data() + static_cast<std::size_t>(n - 1) * catalogue::kElementRecord,
                            catalogue::kElementRecord);
        double e[6];
        for (std::size_t i = 0; i < 6; ++i) e[i] = io::get_f64(rec, 8 * i);
        return OrbitElements::from(e);
    }
    void put(std::int32_t n, const OrbitElements& el) {
        const io::MutBytes rec(bytes.data() + static_cast<std::size_t>(n - 1) * catalogue::kElementRecord,
                               catalogue::kElementRecord);
        double e[6];
        el.store(e);
        for (std::size_t i = 0; i < 6; ++i) io::put_f64(rec, 8 * i, e[i]);
    }
};

Catalogue read_catalogue(const std::string& dir, std::int32_t objects) {
    Catalogue c;
    c.path = dir + std::string(files::kCatElements);
    auto b = io::read_file_bytes(c.path, io::kAnySize);
    if (!b) die(b.message());
    c.bytes = std::move(*b);
    if (c.bytes.size() != static_cast<std::size_t>(objects) * catalogue::kElementRecord)
        die(c.path + " does not hold " + std::to_string(objects) + " records");
    return c;
}

// Objects with elements (absent objects have a zero mean motion).
std::vector<std::int32_t> present_objects(const Catalogue& c) {
    std::vector<std::int32_t> list;
    for (std::int32_t n = 1; n <= c.count(); ++n)
        if (c.get(n).mean_motion > 0.0) list.push_back(n);
    return list;
}

// ---- Integration -------------------------------------------------------------------

// The force model above, times counted from t_ref (Julian date); own bodies:
// 1 (an object before the three perturbers) or 0 (the perturbers alone).
bool g_comets = false;   // comets edition: force2c with the object's ngr.eff record
std::string g_ngr_path;  // "ngr.eff" of the data directory

void setup_model(CoreState& core, double t_ref, int own, std::int32_t number) {
    force_reader_setup(core.de);
    MotionConfig& m = core.motion;
    m = {};
    core.comet_nongrav = {};
    if (g_comets) {
        m.comet_mode = 1;
        if (own > 0 && number > 0) {
            auto a = read_ngr(g_ngr_path, number);
            if (!a) die("object " + std::to_string(number) + ": " + a.message());
            core.comet_nongrav.slot[0] = *a;
        }
    }
    m.catalogue_epoch = t_ref;
    m.relativity = 1;
    m.model = MotionCode::Integration;
    m.minor_perturbers = kStandardMinorPerturbers;
    m.perturber_switch.fill(1);
    m.perturber_switch[perturber_index(Perturber::Earth)] = kEarthAndMoon;
    if (number == kPlutoNumber) m.perturber_switch[perturber_index(Perturber::Pluto)] = 0;
    core.integrated_bodies.count = own;
}

thread_local std::int64_t g_force_evaluations = 0;  // of the calling thread

// Integrates the bodies of x, v (3 components each) from jd0 to jd1.
// size: 0, or the sequence size that the previous call of a chain of stops
// proposed (in and out), so that each call starts at the size the orbit
// needs instead of growing it again from the integrator's small trial size.
Status integrate(CoreState& core, std::vector<double>& x, std::vector<double>& v, double jd0, double jd1,
                 double* size = nullptr) {
    if (jd1 == jd0) return ok_status();
    const double ref = core.motion.catalogue_epoch;
    std::int32_t nf = 0, ns = 0, ncl = kRadauSecondOrderVelocity;
    ForceContext ctx = force_context(core);
    const auto nv = static_cast<std::int32_t>(x.size());
    RadauOptions opt;
    if (size != nullptr) {
        opt.first_size = *size;
        opt.next_size = size;
    }
    Status s = radau(x, v, jd0 - ref, jd1 - ref, 5.0, kLL, nv, kIterations, nf, ns, ncl, kOrder,
                     radau_force_of(g_comets ? force2c : force2, ctx), opt);
    g_force_evaluations += nf;
    if (!s) return error_status(s.message() + (ctx.failure.ok() ? "" : ": " + ctx.failure.message()));
    return ok_status();
}

// Equatorial J2000 state of elements at their own epoch.
StateVector state_of(const OrbitElements& el) {
    StateVector s{};
    if (Status st = twobody(0.0, 0, 0.0, el, 0, 0.0, kObliquityJ2000, s); !st)
        die("elements without a state: " + st.message());
    return s;
}

void push_state(std::vector<double>& x, std::vector<double>& v, const StateVector& s) {
    x.insert(x.end(), s.begin(), s.begin() + 3);
    v.insert(v.end(), s.begin() + 3, s.end());
}

// Object (when given) and the three perturbers at their common epoch.
void start_vector(const OrbitElements* object, const std::array<OrbitElements, 3>& pert, std::vector<double>& x,
                  std::vector<double>& v) {
    x.clear();
    v.clear();
    if (object != nullptr) push_state(x, v, state_of(*object));
    for (const OrbitElements& p : pert) push_state(x, v, state_of(p));
}

bool elements_of(const std::vector<double>& x, const std::vector<double>& v, int body, OrbitElements& el) {
    const auto b = static_cast<std::size_t>(3 * body);
    const StateVector s{x[b], x[b + 1], x[b + 2], v[b], v[b + 1], v[b + 2]};
    return stateel(0.0, s, el, kObliquityJ2000).ok();
}

// ---- Workers ---------------------------------------------------------------------------

// Runs work(core, part, parts) in `parts` threads of this process (in this
// thread on core when parts = 1) and waits for them. Each thread works on a
// LibraryState of its own with the span of the planetary ephemeris file of
// core and the file opened anew, so that the integrations do not meet.
template <class F>
void run_parts(CoreState& core, int parts, F&& work) {
    if (parts <= 1) {
        work(core, 0, 1);
        return;
    }
    const DeState& de = core.de;
    const std::string ephemeris = de.file ? de.file->path() : std::string();
    const double first_jd = de.first_jd, last_jd = de.last_jd;
    std::vector<std::thread> threads;
    for (int p = 0; p < parts; ++p)
        threads.emplace_back([&, p] {
            auto own = std::make_unique<LibraryState>();
            ScopedLibraryState use(*own);
            own->core.de.first_jd = first_jd;
            own->core.de.last_jd = last_jd;
            if (!ephemeris.empty())
                if (Status s = de_open(own->core.de, own->core.de_copies, ephemeris); !s) die(s.message());
            work(own->core, p, parts);
        });
    for (std::thread& t : threads) t.join();
}

std::string part_path(const std::string& out_values, int part) { return out_values + ".part" + std::to_string(part); }

void write_part(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    if (Status s = io::write_file_bytes(path, bytes); !s) die(s.message());
}

// A worker's scratch file, mapped whole: it may hold gigabytes, which are
// read where they lie instead of copied. The file is removed at once; the
// mapping keeps its bytes until it is dropped.
io::MappedFile take_part(const std::string& path) {
    auto m = io::MappedFile::open(path);
    if (!m) die(m.message());
    std::remove(path.c_str());
    return std::move(*m);
}

// A worker's scratch file written as it grows: the bytes are appended to the
// buffer and go to the file a few megabytes at a time.
class PartWriter {
public:
    explicit PartWriter(std::string path) : path_(std::move(path)), out_(path_, std::ios::binary | std::ios::trunc) {
        if (!out_) die("cannot write " + path_);
    }
    std::vector<std::uint8_t>& buffer() { return buf_; }
    // After each object.
    void flush_some() {
        if (buf_.size() >= kChunk) flush();
    }
    void finish() {
        flush();
        out_.close();
        if (!out_) die("cannot write " + path_);
    }

private:
    static constexpr std::size_t kChunk = std::size_t{8} << 20;
    void flush() {
        out_.write(reinterpret_cast<const char*>(buf_.data()), static_cast<std::streamsize>(buf_.size()));
        if (!out_) die("cannot write " + path_);
        buf_.clear();
    }
    std::string path_;
    std::ofstream out_;
    std::vector<std::uint8_t> buf_;
};

// Little-endian appenders and a reader of the scratch files.
void append_i32(std::vector<std::uint8_t>& b, std::int32_t v) {
    b.resize(b.size() + 4);
    io::put_i32(io::MutBytes(b.data() + b.size() - 4, 4), 0, v);
}
void append_f64(std::vector<std::uint8_t>& b, double v) {
    b.resize(b.size() + 8);
    io::put_f64(io::MutBytes(b.data() + b.size() - 8, 8), 0, v);
}
struct Reader {
    io::Bytes b;
    std::size_t at = 0;
    bool more() const { return at < b.size(); }
    void need(std::size_t bytes) const {
        if (bytes > b.size() - at) die("scratch file cut short");
    }
    std::int32_t i32() {
        need(4);
        const std::int32_t v = io::get_i32(b, at);
        at += 4;
        return v;
    }
    double f64() {
        need(8);
        const double v = io::get_f64(b, at);
        at += 8;
        return v;
    }
    void skip(std::size_t bytes) {
        need(bytes);
        at += bytes;
    }
};

void open_ephemeris(CoreState& core, const std::string& dir, const Values& values) {
    DeState& de = core.de;
    de.first_jd = value(values, "eph_first_jd");
    de.last_jd = value(values, "eph_last_jd");
    if (Status s = de_open(de, core.de_copies, dir + std::string(files::kEphemeris)); !s) die(s.message());
}

double jan1(int year) {
    std::int32_t jd = 0;
    double fr = 0.0;
    caljd(year, 1, 1, 0.0, jd, fr, DayStart::Civil);
    return jd + fr;
}

int jobs_default() {
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? static_cast<int>(n) : 1;
}

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void write_values(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) die("cannot write " + path);
}

std::string elements_text(const OrbitElements& el) {
    std::ostringstream s;
    s.imbue(std::locale::classic());
    s.precision(17);
    double e[6];
    el.store(e);
    for (double x : e) s << ' ' << x;
    return s.str();
}

// ---- epoch ----------------------------------------------------------------------------

// Objects' own epochs and elements (mkcatalogue --comets).
struct SourceElements {
    double epoch = 0.0;
    OrbitElements el{};
};

std::map<std::int32_t, SourceElements> read_sources(const std::string& path) {
    std::map<std::int32_t, SourceElements> out;
    if (path.empty()) return out;
    std::ifstream in(path);
    if (!in) die("cannot read " + path);
    in.imbue(std::locale::classic());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        ls.imbue(std::locale::classic());
        std::int32_t n = 0;
        SourceElements src;
        double e[6];
        if (!(ls >> n >> src.epoch >> e[0] >> e[1] >> e[2] >> e[3] >> e[4] >> e[5])) die("bad line in " + path);
        src.el = OrbitElements::from(e);
        out[n] = src;
    }
    return out;
}

// The settings values of the epoch step.
std::string epoch_values(double epoch, int first_year, int last_year, const std::array<OrbitElements, 3>& pert) {
    std::ostringstream vals;
    vals.imbue(std::locale::classic());
    vals.precision(17);
    vals << "catalogue_epoch " << epoch << "\n";
    vals << "first_year " << first_year << "\n";
    vals << "last_year " << last_year << "\n";
    for (int k = 0; k < 3; ++k)
        vals << "perturber" << k + 1 << elements_text(pert[static_cast<std::size_t>(k)]) << "\n";
    return vals.str();
}

int run_epoch(CoreState& core, const std::string& dir, const std::string& out_values, double epoch, int first_year,
              int last_year, const Values& values, int jobs, const std::string& sources_path) {
    const auto t_start = std::chrono::steady_clock::now();
    const double source = value(values, "catalogue_epoch");
    const auto objects = static_cast<std::int32_t>(value(values, "objects"));
    std::array<OrbitElements, 3> pert{perturber(values, 1), perturber(values, 2), perturber(values, 3)};
    if (last_year < first_year || last_year - first_year >= 5) die("the package holds 1 to 5 years");
    if (epoch < jan1(first_year) || epoch >= jan1(last_year + 1)) die("the epoch lies outside the package years");
    const std::map<std::int32_t, SourceElements> sources = read_sources(sources_path);
    if (source == epoch && sources.empty()) {
        // The catalogue is at the package epoch already (the Minor Planet
        // Center's orbits at its standard epoch): nothing to integrate.
        write_values(out_values, epoch_values(epoch, first_year, last_year, pert));
        std::fprintf(stderr, "mkyearly: the catalogue is at the package epoch JD %.1f already; nothing integrated\n",
                     epoch);
        return 0;
    }
    Catalogue cat = read_catalogue(dir, objects);
    open_ephemeris(core, dir, values);
    const std::vector<std::int32_t> list = present_objects(cat);
    // Own epochs are used one day inside the planetary ephemeris file.
    const double own_first = core.de.first_jd + 1.0, own_last = core.de.last_jd - 1.0;
    std::int32_t moved_two_body = 0;
    for (const auto& [n, src] : sources)
        if (src.epoch < own_first || src.epoch > own_last) ++moved_two_body;

    // The perturbers alone.
    std::array<OrbitElements, 3> pert_new{};
    {
        std::vector<double> x, v;
        start_vector(nullptr, pert, x, v);
        setup_model(core, source, 0, 0);
        if (Status s = integrate(core, x, v, source, epoch); !s) die("perturbers: " + s.message());
        for (int k = 0; k < 3; ++k)
            if (!elements_of(x, v, k, pert_new[static_cast<std::size_t>(k)]))
                die("a perturber's orbit is not elliptic");
    }

    // The objects: scratch records n, 6 elements.
    run_parts(core, jobs, [&](CoreState& part_core, int part, int parts) {
        std::vector<std::uint8_t> out;
        std::vector<double> x, v;
        for (std::size_t i = static_cast<std::size_t>(part); i < list.size(); i += static_cast<std::size_t>(parts)) {
            const std::int32_t n = list[i];
            OrbitElements el = cat.get(n);
            double start = source;
            if (const auto it = sources.find(n); it != sources.end()) {
                // From the object's own epoch (inside the ephemeris file),
                // the perturbers integrated there first.
                start = std::clamp(it->second.epoch, own_first, own_last);
                el = it->second.el;
                el.mean_anomaly = norm2pi(el.mean_anomaly + el.mean_motion * (start - it->second.epoch));
                std::vector<double> px, pv;
                start_vector(nullptr, pert, px, pv);
                setup_model(part_core, source, 0, 0);
                if (Status s = integrate(part_core, px, pv, source, start); !s)
                    die("perturbers for object " + std::to_string(n) + ": " + s.message());
                x.clear();
                v.clear();
                push_state(x, v, state_of(el));
                x.insert(x.end(), px.begin(), px.end());
                v.insert(v.end(), pv.begin(), pv.end());
            } else {
                start_vector(&el, pert, x, v);
            }
            setup_model(part_core, start, 1, n);
            if (Status s = integrate(part_core, x, v, start, epoch); !s)
                die("object " + std::to_string(n) + ": " + s.message());
            OrbitElements now{};
            if (!elements_of(x, v, 0, now)) {
                // Not elliptic at the new epoch: two-body motion keeps it in the catalogue.
                std::fprintf(stderr, "mkyearly: object %d is not elliptic at the epoch; carried by two-body motion\n",
                             n);
                now = el;
                now.mean_anomaly = norm2pi(el.mean_anomaly + el.mean_motion * (epoch - start));
            }
            append_i32(out, n);
            double e[6];
            now.store(e);
            for (double d : e) append_f64(out, d);
        }
        append_i32(out, -1);
        append_f64(out, static_cast<double>(g_force_evaluations));
        write_part(part_path(out_values, part), out);
    });

    std::int64_t evaluations = 0;
    std::size_t done = 0;
    for (int p = 0; p < std::max(jobs, 1); ++p) {
        const io::MappedFile part = take_part(part_path(out_values, p));
        Reader r{part.bytes()};
        for (;;) {
            const std::int32_t n = r.i32();
            if (n < 0) {
                evaluations += static_cast<std::int64_t>(r.f64());
                break;
            }
            if (n > cat.count()) die("scratch file: bad object number");
            double e[6];
            for (double& d : e) d = r.f64();
            cat.put(n, OrbitElements::from(e));
            ++done;
        }
    }
    if (done != list.size()) die("the workers did not compute every object");
    const std::string tmp = cat.path + ".new";
    if (Status s = io::write_file_bytes(tmp, cat.bytes); !s) die(s.message());
    if (std::rename(tmp.c_str(), cat.path.c_str()) != 0) die("cannot replace " + cat.path);

    write_values(out_values, epoch_values(epoch, first_year, last_year, pert_new));
    std::fprintf(stderr,
                 "mkyearly: %zu objects integrated from JD %.1f to JD %.1f in %.1f s with %d threads "
                 "(%lld force evaluations)\n",
                 list.size(), source, epoch, seconds_since(t_start), std::max(jobs, 1),
                 static_cast<long long>(evaluations));
    if (!sources.empty())
        std::fprintf(stderr,
                     "mkyearly: %zu objects started at their own epochs, %d of them brought into the span of the "
                     "planetary ephemeris file by two-body motion first\n",
                     sources.size(), moved_two_body);
    return 0;
}

// ---- years ----------------------------------------------------------------------------

// Dates of opposition (the library's sense, tasks/oppos.h) of the two-body
// orbit of the catalogue elements el (epoch `epoch`) from `from` to `to`
// (inside the Earth's grid by a step at least).
std::vector<double> oppositions(CoreState& core, const OrbitElements& el, double epoch, const EarthTrack& earth,
                                double from, double to) {
    double e[6];
    el.store(e);
    const ElementSet set{epoch, e[0], e[1], e[2], e[3], e[4], e[5]};
    // The readers of the planetary file for positions and for the force
    // model take turns: each reads its record again.
    core.de.forget_records();
    std::vector<double> found;
    const bool ok = opposition_times(core, std::span(&set, 1), earth, from, to, found).ok();
    core.de.forget_records();
    return ok ? found : std::vector<double>{};
}

struct YearPlan {
    int group = 0;  // 0 no sets, 1 opposition window, 2 whole year
    std::vector<double> epochs;
    std::vector<ElementSet> sets;
};

// The limit of the yearly sets ("years" --numbered, --hmax H).
struct YearlyLimit {
    bool numbered_only = false;
    std::optional<double> hmax;
    bool any() const { return numbered_only || hmax.has_value(); }
};

// The objects of the list that the limit keeps: numbered ones when asked
// (catalogue numbers up to the numbered count), of H at most hmax when asked
// (H of "elih"; an H that does not read counts as faint).
std::vector<std::int32_t> limited(const std::string& dir, const std::vector<std::int32_t>& list, const Values& values,
                                  const YearlyLimit& limit) {
    if (!limit.any()) return list;
    const auto numbered = static_cast<std::int32_t>(value(values, "numbered"));
    std::vector<std::uint8_t> hs;
    if (limit.hmax) {
        auto b = io::read_file_bytes(dir + std::string(files::kCatMagnitudes), io::kAnySize);
        if (!b) die(b.message());
        hs = std::move(*b);
    }
    std::vector<std::int32_t> kept;
    for (std::int32_t n : list) {
        if (limit.numbered_only && n > numbered) continue;
        if (limit.hmax) {
            const std::size_t at = static_cast<std::size_t>(n - 1) * catalogue::kHRecord;
            if (at + catalogue::kHRecord > hs.size()) continue;
            auto h =
                io::read_real(std::string_view(reinterpret_cast<const char*>(hs.data() + at), catalogue::kHRecord), 0);
            if (!h || *h > *limit.hmax) continue;
        }
        kept.push_back(n);
    }
    return kept;
}

// Assembles the yearly files from the workers' scratch files
// OUT_VALUES.part0 .. part<jobs - 1>: per object its number, then per year
// the group (0 none, 1 around the opposition, 2 through the year), the count
// and the sets; -1 and the worker's force evaluations end a file. The files
// are mapped, not read into memory, and each object's place is kept, so that
// each year is written from them in turn (the objects around oppositions
// first, then those of the whole year) and no more than one year's sets are
// held. expected: the objects the workers were given, or 0 to take what the
// files hold. Writes element_values to OUT_VALUES.
int assemble_years(const std::string& dir, const std::string& out_values, std::int32_t objects, int first_year,
                   int last_year, int jobs, std::size_t expected, std::chrono::steady_clock::time_point t_start) {
    const auto years = static_cast<std::size_t>(last_year - first_year + 1);
    std::vector<io::MappedFile> parts;
    std::vector<io::Bytes> where(static_cast<std::size_t>(std::max(objects, 0)));  // the object's years
    std::vector<std::int64_t> year_sets(years, 0);
    std::int64_t evaluations = 0;
    std::size_t done = 0;
    for (int p = 0; p < std::max(jobs, 1); ++p) {
        parts.push_back(take_part(part_path(out_values, p)));
        Reader r{parts.back().bytes()};
        for (;;) {
            const std::int32_t n = r.i32();
            if (n < 0) {
                evaluations += static_cast<std::int64_t>(r.f64());
                break;
            }
            if (n == 0 || n > objects) die("scratch file: bad object number");
            const std::size_t from = r.at;
            for (std::size_t y = 0; y < years; ++y) {
                r.i32();
                const std::int32_t count = r.i32();
                if (count < 0) die("scratch file: bad count of sets");
                year_sets[y] += count;
                r.skip(static_cast<std::size_t>(count) * yearly::kSetWords * 8);
            }
            io::Bytes& w = where[static_cast<std::size_t>(n - 1)];
            if (!w.empty()) die("scratch file: object " + std::to_string(n) + " given twice");
            w = r.b.subspan(from, r.at - from);
            ++done;
        }
    }
    if (expected != 0 && done != expected) die("the workers did not compute every object");

    std::ostringstream vals;
    vals << "element_values";
    std::vector<ElementSet> sets;
    for (std::size_t y = 0; y < years; ++y) {
        YearlyElementsWriter w(objects);
        w.reserve(year_sets[y]);
        std::int64_t window_sets = 0;
        std::int32_t objs[3] = {0, 0, 0};
        for (int group : {1, 2}) {
            for (std::int32_t n = 1; n <= objects; ++n) {
                const io::Bytes b = where[static_cast<std::size_t>(n - 1)];
                if (b.empty()) continue;
                Reader r{b};
                for (std::size_t k = 0; k < y; ++k) {
                    r.i32();
                    r.skip(static_cast<std::size_t>(r.i32()) * yearly::kSetWords * 8);
                }
                if (r.i32() != group) continue;
                sets.resize(static_cast<std::size_t>(r.i32()));
                for (ElementSet& set : sets)
                    for (double& x : set) x = r.f64();
                if (Status s = w.add(n, sets); !s) die(s.message());
                ++objs[group];
            }
            if (group == 1) window_sets = w.set_count();
        }
        if (window_sets > std::numeric_limits<std::int32_t>::max())
            die("the sets around oppositions of a year exceed what the settings can count");
        const int year = first_year + static_cast<int>(y);
        if (Status s = w.write(dir, year); !s) die(s.message());
        vals << ' ' << window_sets;
        std::fprintf(
            stderr, "mkyearly: %d: %d objects with %lld sets around opposition, %d with %lld sets through the year%s\n",
            year, objs[1], static_cast<long long>(window_sets), objs[2],
            static_cast<long long>(w.set_count() - window_sets), w.wide() ? "; wide index (8-byte words)" : "");
    }
    vals << "\n";
    write_values(out_values, vals.str());
    std::fprintf(
        stderr, "mkyearly: yearly files %d-%d for %zu objects in %.1f s with %d threads (%lld force evaluations)\n",
        first_year, last_year, done, seconds_since(t_start), std::max(jobs, 1), static_cast<long long>(evaluations));
    return 0;
}

int run_years(CoreState& core, const std::string& dir, const std::string& out_values, const Values& values, int jobs,
              const YearlyLimit& limit) {
    const auto t_start = std::chrono::steady_clock::now();
    const double epoch = value(values, "catalogue_epoch");
    const auto objects = static_cast<std::int32_t>(value(values, "objects"));
    const int first_year = static_cast<int>(value(values, "first_year"));
    const int last_year = static_cast<int>(value(values, "last_year"));
    if (last_year < first_year || last_year - first_year >= 5) die("the package holds 1 to 5 years");
    const auto years = static_cast<std::size_t>(last_year - first_year + 1);
    std::array<OrbitElements, 3> pert{perturber(values, 1), perturber(values, 2), perturber(values, 3)};
    const Catalogue cat = read_catalogue(dir, objects);
    open_ephemeris(core, dir, values);
    const std::vector<std::int32_t> present = present_objects(cat);
    const std::vector<std::int32_t> list = limited(dir, present, values, limit);
    if (limit.any()) {
        std::string what = limit.numbered_only ? "numbered objects" : "objects";
        if (limit.hmax) what += " of H " + std::to_string(*limit.hmax).substr(0, 5) + " or brighter";
        std::fprintf(stderr,
                     "mkyearly: yearly sets limited to the %s: %zu of %zu objects; the others get the catalogue "
                     "elements by two-body motion\n",
                     what.c_str(), list.size(), present.size());
    }
    // Refused at once what the files could not take: a lower bound of the
    // sets of each object (37 a year for a near-Earth object, 8 a year for
    // any other, which comes to opposition at least once in two years), the
    // sets around oppositions counted in the 32-bit settings value of each
    // year, the whole against the free space of the disk.
    std::int64_t window_bound = 0, year_bound = 0;
    for (std::int32_t n : list) {
        const OrbitElements el = cat.get(n);
        if (semiaxis(el.mean_motion, 0.0) * (1.0 - el.ecc) < kNearEarthPerihelion)
            year_bound += kYearSets;
        else
            window_bound += kWindowSets;
    }
    window_bound = window_bound * static_cast<std::int64_t>(years) / 2;
    year_bound *= static_cast<std::int64_t>(years);
    if (window_bound / static_cast<std::int64_t>(years) > std::numeric_limits<std::int32_t>::max())
        die("the yearly element files of " + std::to_string(list.size()) +
            " objects would hold more sets around oppositions in a year than the settings can count; limit them "
            "with --yearly-hmax H or --yearly-numbered (tools/make_package.sh)");
    const std::uintmax_t need = static_cast<std::uintmax_t>(window_bound + year_bound) * yearly::kSetBytes * 2;
    std::error_code space_error;
    const std::filesystem::space_info space = std::filesystem::space(dir, space_error);
    if (!space_error && space.available < need)
        die("the yearly element files of " + std::to_string(list.size()) + " objects need at least " +
            std::to_string(need >> 20) + " MiB with the workers' scratch files; the disk has " +
            std::to_string(space.available >> 20) +
            " MiB free; limit them with --yearly-hmax H or --yearly-numbered (tools/make_package.sh)");
    std::vector<double> year_start(years + 1);
    for (std::size_t y = 0; y <= years; ++y) year_start[y] = jan1(first_year + static_cast<int>(y));
    auto earth = earth_track(core, year_start.front() - 2.0, year_start.back() + 2.0, 1.0);
    if (!earth) die(earth.message());
    core.de.forget_records();

    run_parts(core, jobs, [&](CoreState& part_core, int part, int parts) {
        PartWriter writer(part_path(out_values, part));
        std::vector<std::uint8_t>& out = writer.buffer();
        std::vector<double> x, v;
        for (std::size_t i = static_cast<std::size_t>(part); i < list.size(); i += static_cast<std::size_t>(parts)) {
            const std::int32_t n = list[i];
            const OrbitElements el = cat.get(n);
            const double a = semiaxis(el.mean_motion, 0.0);
            const bool near_earth = a * (1.0 - el.ecc) < kNearEarthPerihelion;
            std::vector<double> opp;
            if (!near_earth) opp = oppositions(part_core, el, epoch, *earth, year_start.front(), year_start.back());

            // The epochs of each year.
            std::vector<YearPlan> plan(years);
            for (std::size_t y = 0; y < years; ++y) {
                std::vector<double> here;
                for (double t : opp)
                    if (t >= year_start[y] && t < year_start[y + 1]) here.push_back(t);
                YearPlan& p = plan[y];
                if (near_earth || here.size() > 1) {
                    p.group = 2;
                    for (int s = 0; s < kYearSets; ++s) p.epochs.push_back(year_start[y] + kYearSpacing * (s + 0.5));
                } else if (here.size() == 1) {
                    p.group = 1;
                    const double centre = std::floor(here[0] - 0.5) + 0.5;  // 0h of the day of opposition
                    for (int s = 0; s < kWindowSets; ++s)
                        p.epochs.push_back(centre + kWindowSpacing * (s - (kWindowSets - 1) / 2.0));
                }
            }

            // One integration backward from the catalogue epoch through the
            // earlier epochs, one forward through the later ones.
            std::vector<std::pair<double, ElementSet*>> stops;
            for (YearPlan& p : plan) {
                p.sets.resize(p.epochs.size());
                for (std::size_t s = 0; s < p.epochs.size(); ++s) stops.push_back({p.epochs[s], &p.sets[s]});
            }
            std::sort(stops.begin(), stops.end(), [](auto& l, auto& r) { return l.first < r.first; });
            bool bad = false;
            for (int dir_sign : {-1, 1}) {
                start_vector(&el, pert, x, v);
                setup_model(part_core, epoch, 1, n);
                double now = epoch, size = 0.0;
                auto visit = [&](std::pair<double, ElementSet*>& st) {
                    if (Status s = integrate(part_core, x, v, now, st.first, &size); !s)
                        die("object " + std::to_string(n) + ": " + s.message());
                    now = st.first;
                    OrbitElements o{};
                    if (!elements_of(x, v, 0, o)) {
                        bad = true;
                        st.second->fill(0.0);
                        return;
                    }
                    *st.second = {st.first, o.mean_anomaly, o.arg_perihelion, o.node, o.incl, o.ecc, o.mean_motion};
                };
                if (dir_sign < 0) {
                    for (auto it = stops.rbegin(); it != stops.rend(); ++it)
                        if (it->first < epoch) visit(*it);
                } else {
                    for (auto& st : stops)
                        if (st.first >= epoch) visit(st);
                }
            }
            append_i32(out, n);
            for (YearPlan& p : plan) {
                // A year with a set that is not elliptic is left without sets.
                const bool drop = bad && std::any_of(p.sets.begin(), p.sets.end(), [](auto& s) { return s[6] <= 0.0; });
                if (drop)
                    std::fprintf(stderr, "mkyearly: object %d has an orbit that is not elliptic; year left out\n", n);
                append_i32(out, drop ? 0 : p.group);
                append_i32(out, drop ? 0 : static_cast<std::int32_t>(p.sets.size()));
                if (drop) continue;
                for (const ElementSet& s : p.sets)
                    for (double d : s) append_f64(out, d);
            }
            writer.flush_some();
            // Progress of a long build, from the first worker's share.
            if (part == 0 && i > 0 && (i / static_cast<std::size_t>(parts)) % 20000 == 0)
                std::fprintf(stderr, "mkyearly: about %zu of %zu objects done after %.0f s\n", i, list.size(),
                             seconds_since(t_start));
        }
        append_i32(out, -1);
        append_f64(out, static_cast<double>(g_force_evaluations));
        writer.finish();
    });
    return assemble_years(dir, out_values, objects, first_year, last_year, jobs, list.size(), t_start);
}

// The comets edition when the settings values say so.
void set_comets(const std::string& dir, const Values& values) {
    const auto it = values.find("comet_edition");
    g_comets = it != values.end() && !it->second.empty() && it->second[0] != 0.0;
    g_ngr_path = dir + std::string(files::kNongrav);
}

void usage() {
    std::fprintf(stderr,
                 "usage: mkyearly epoch DATA_DIR OUT_VALUES EPOCH_JD FIRST_YEAR LAST_YEAR VALUES.txt... [--jobs N] "
                 "[--sources FILE]\n"
                 "       mkyearly years DATA_DIR OUT_VALUES VALUES.txt... [--jobs N] [--numbered] [--hmax H]\n"
                 "       mkyearly assemble DATA_DIR OUT_VALUES VALUES.txt... [--jobs N]\n");
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    std::string sources;
    YearlyLimit limit;
    int jobs = jobs_default();
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--jobs" && i + 1 < argc) {
            jobs = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--sources" && i + 1 < argc) {
            sources = argv[++i];
        } else if (a == "--numbered") {
            limit.numbered_only = true;
        } else if (a == "--hmax" && i + 1 < argc) {
            char* end = nullptr;
            limit.hmax = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !std::isfinite(*limit.hmax)) usage();
        } else {
            args.push_back(a);
        }
    }
    if (args.size() < 3) usage();
    std::string dir = args[1];
    if (dir.empty() || dir.back() != '/') dir += '/';
    const std::string& out_values = args[2];
    // The library's state of the main thread (the workers make their own).
    auto lib = std::make_unique<LibraryState>();
    if (args[0] == "epoch") {
        if (args.size() < 7) usage();
        const double epoch = std::strtod(args[3].c_str(), nullptr);
        const int first = std::atoi(args[4].c_str()), last = std::atoi(args[5].c_str());
        const Values v = read_values({args.begin() + 6, args.end()});
        set_comets(dir, v);
        return run_epoch(lib->core, dir, out_values, epoch, first, last, v, jobs, sources);
    }
    if (args[0] == "years") {
        if (args.size() < 4) usage();
        const Values v = read_values({args.begin() + 3, args.end()});
        set_comets(dir, v);
        return run_years(lib->core, dir, out_values, v, jobs, limit);
    }
    if (args[0] == "assemble") {
        if (args.size() < 4) usage();
        const Values v = read_values({args.begin() + 3, args.end()});
        const int first = static_cast<int>(value(v, "first_year")), last = static_cast<int>(value(v, "last_year"));
        if (last < first || last - first >= 5) die("the package holds 1 to 5 years");
        return assemble_years(dir, out_values, static_cast<std::int32_t>(value(v, "objects")), first, last, jobs, 0,
                              std::chrono::steady_clock::now());
    }
    usage();
}
