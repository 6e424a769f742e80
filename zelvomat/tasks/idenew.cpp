// IdCalc: identification of observations with catalogued minor planets
// (layout of the result and the rules of the residuals in idenew.h).
//
// Per observation: contr_s1 parses the line; Delta T gives the TT date; the
// geocentric Sun S (planetary ephemeris file) and the observer vector c
// (obsvec_j2000, referred to J2000 like every other vector) are computed
// once; the window of opposition dates gives the candidates of the opposition
// files, the special list follows; each candidate is tested:
//   elmnt (elements at the TT date) -> twobody (epoch and date the TT date)
//   -> lightt(P, S, c) -> residuals against the tolerances.
//
// Shared work of a run, kept in memory for all its lines:
//  - the opposition files of the years reached: read once, searched in
//    memory (the first record at or after a date, as opfop finds it);
//  - the lines go in batches (kBatchLines), each line's frame (TT date, Sun,
//    observer, candidates of its window) first; the lines whose dates lie
//    within a day of each other form a group with one sky of candidates:
//    for every candidate of any line of the group (object and the year its
//    element search starts from) and every element set that elmnt takes at
//    the group's dates (elmnt_set_span gives the dates each set serves), a
//    geocentric two-body state at the group's middle date and the bounds of
//    its extrapolation, placed in one-degree cells of the sky where it can
//    stand at the group's dates within the largest accepted separation.
//    A line looks up its own cell only: the candidates of its own window or
//    of the special list found there (or among the few whose disc is too
//    wide for the cells: fast or unusual orbits), that the bound of the line's
//    date does not prove outside the tolerances, get the full test above in
//    the order of the search of every candidate; the others cannot be
//    accepted, so the records are those of the full test of every candidate
//    (IdRunState::full_test makes that search).
// The frames, the skies and the lines are shared out among the run's threads.
//
// Calls: contr_s1, deltat, load_delta_t, reade403, de_open, obsvec_j2000,
// lightt, elongph, twobody, magn, catopen, catname, catphot, elmnt,
// elmnt_set_span, opposition_window, anti_solar_ra,
// for_each_window_year, year_of_jd, n_obs, in_par, read_heading_block,
// write_task_header.
#include "tasks/idenew.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/apparent.h"
#include "core/catalog.h"
#include "core/datajd.h"
#include "core/elmnt.h"
#include "core/frames.h"
#include "core/magn.h"
#include "core/names.h"
#include "core/observer.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "core/twobody.h"
#include "core/utils.h"
#include "io/bytes.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "tasks/libstate.h"
#include "tasks/linecheck.h"
#include "tasks/obsfiles.h"
#include "tasks/obsline.h"
#include "tasks/oppos.h"
#include "tasks/oppwindow.h"
#include "tasks/taskhead.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

// ---- Window, residuals, records ------------------------------------------------

OppositionWindow observation_window(double jd_ut, double observed_ra, double sun_x, double sun_y) {
    return opposition_window(observed_ra, anti_solar_ra(sun_x, sun_y), kObservationHalfRa, jd_ut);
}

RaDifference ra_difference(double observed, double computed) {
    const double diff = observed - computed;
    RaDifference r;
    r.size = std::fabs(diff);
    if (r.size > kPi) {
        r.size = kTwoPi - r.size;
        r.negative = diff > 0.0;
    } else {
        r.negative = diff < 0.0;
    }
    return r;
}

std::string residual_field(double arcsec, bool negative) {
    std::string f = io::fmt_f(std::fabs(arcsec), static_cast<int>(id_result::kResidualLen), 1);
    if (f.front() != ' ') return std::string(id_result::kResidualLen, '*');  // no room for the sign
    if (f == "    0.0") return f;
    const std::size_t digit = f.find_first_not_of(' ');
    if (f[digit] == '.') f[digit - 1] = '0';  // a value below 1 keeps its "0"
    const std::size_t lead = f.find_first_not_of(' ');
    if (lead == 0) return std::string(id_result::kResidualLen, '*');
    f[lead - 1] = negative ? '-' : '+';
    return f;
}

std::string magnitude_field(bool known, double residual) {
    if (!known) return "   - ";
    std::string f = " " + io::fmt_f(std::fabs(residual), 4, 1);  // columns 1-5 of the field
    if (f[2] == ' ') f[2] = '0';
    if (f == "  0.0") return f;
    const char sign = residual > 0.0 ? '+' : '-';
    if (f[1] == ' ')
        f[1] = sign;
    else
        f[0] = sign;
    return f;
}

std::string id_result_record(std::string_view line, bool first_of_line, const IdMatch& m) {
    using namespace id_result;
    std::string rec(kLength, ' ');
    if (first_of_line) rec.replace(kLineOff, kLineLen, io::column(line, 1, kLineLen));
    rec.replace(kDateOff, kDateLen, io::column(line, 16, kDateLen));
    if (!m.accepted) rec[kFlagOff] = '*';
    if (m.numbered) rec.replace(kNumberOff, kNumberLen, number_field(m.number, kNumberLen));
    rec.replace(kNameOff, kNameLen, io::pad(m.name, kNameLen));
    rec.replace(kRaOff, kResidualLen, residual_field(m.ra_arcsec, m.ra_negative));
    rec.replace(kDeclOff, kResidualLen, residual_field(m.decl_arcsec, m.decl_negative));
    rec.replace(kMagOff, kMagLen, magnitude_field(m.magnitude_known, m.magnitude_residual));
    rec[kBandOff] = m.band;
    rec.replace(kCodeOff, kCodeLen, io::pad(n_obs(m.observatory), kCodeLen));
    return rec;
}

std::string id_not_found_record(std::string_view line) {
    using namespace id_result;
    std::string rec(kLength, ' ');
    rec.replace(kLineOff, kLineLen, io::column(line, 1, kLineLen));
    rec.replace(kNameOff, kNotFound.size(), kNotFound);
    return rec;
}

Result<std::vector<std::int32_t>> read_special_list(std::string_view data_dir, std::int32_t count) {
    if (count < 0 || count > kSpecialListCapacity)
        return error_status("The special list \"" + std::string(files::kSpecialList) + "\" has " +
                            std::to_string(count) + " entries in the settings; at most " +
                            std::to_string(kSpecialListCapacity) + " are possible.");
    std::vector<std::int32_t> list(static_cast<std::size_t>(count));
    if (count == 0) return list;
    const std::string path = io::find_file(io::trim_right(data_dir), files::kSpecialList);
    auto f = io::RecordFile::open(path, 4 * static_cast<std::size_t>(count), io::OpenMode::Read);
    if (!f) return error_status("The special list cannot be read: " + f.message());
    auto rec = f->read(1);
    if (!rec)
        return error_status("The special list " + path + " does not hold its " + std::to_string(count) +
                            " numbers: " + rec.message());
    for (std::size_t k = 0; k < list.size(); ++k) {
        list[k] = io::get_i32(*rec, 4 * k);
        if (k > 0 && list[k] <= list[k - 1])
            return error_status("The special list " + path + " is not in ascending order of number.");
    }
    return list;
}

namespace {

constexpr double kInvC = kLightDaysPerAu;  // days per AU

// ---- The sky of a run's candidates -----------------------------------------------

// Bounds of the extrapolation. A geocentric place g0 + gdot h of a two-body
// object misses the true geocentric position at t0 + h by at most
// (k^2/q^2 + a_E) h^2 / 2: k^2/q^2 bounds the object's acceleration (q the
// perihelion distance), a_E that of the geocentric Sun (the Sun's pull on
// the Earth at perihelion, 3.06e-4 AU/day^2, the Moon's 1.7e-6 and the
// planets', with room). Light time moves the object back by tau v, tau at
// most (distance)/(c - v), v at most the perihelion speed; the observer lies
// |c| from the geocentre.
constexpr double kSunAccelerationBound = 3.3e-4;  // AU / day^2
constexpr double kMaxSpeed = 1.0;                 // AU / day: faster orbits always get the full test
// The lines of a run whose TT dates lie within this many days of each other
// share one sky (its reference date the middle line's).
constexpr double kGroupSpanDays = 1.0;
// Lines read, parsed and tested together.
constexpr std::int32_t kBatchLines = 256;
// The sky's cells: bands of one degree of declination, each cut into cells
// of at least one degree of right ascension. An object whose disc of
// possible places (with the accepted separation) is wider than
// kCellRadiusMax radians is tested at every line instead.
constexpr int kBands = 180;
constexpr double kCellRadiusMax = 0.05;

// One line's frame: its TT date, the geocentric Sun and the observer, the
// observed direction, and its candidates of the opposition files in the
// order of the search (object, year of its opposition record).
struct Candidate {
    std::int32_t number = 0;
    std::int32_t year = 0;
};
struct LineFrame {
    std::int32_t jd = 0;  // Julian day number of the line (UT)
    double fr_ut = 0.0, fr_tt = 0.0;
    double t = 0.0;  // TT Julian date
    StateVector sun{}, observer{};
    double o1 = 0.0, o2 = 0.0;  // observed R.A. and Decl.
    double o[3] = {0.0, 0.0, 0.0};
    double c_norm = 0.0;  // |observer vector|
    OppositionWindow win;
    // The candidates of the window in the order of the search (filled for
    // the full test, or when the ranges below cannot be used).
    std::vector<Candidate> window;
    // The window's records instead: per year file reached, the records
    // [begin, end) the search reads (the records it passes over are those of
    // objects met before and of the special list). ranged is false when the
    // files' dates are not what the bisections take (a date that is none,
    // dates out of order); the line then takes the window list.
    struct Range {
        int year = 0;
        std::size_t begin = 0, end = 0, count = 0;
        io::Bytes records;
    };
    std::vector<Range> ranges;
    bool ranged = false;
};

// The opposition records of a group's windows, by object: each record's
// place in the search (year index x 2^32 + record), the year elmnt is asked
// for (the year of its date), ascending by object, then by place.
struct GroupRecords {
    struct Rec {
        std::int32_t number = 0;
        std::int32_t year = 0;
        std::uint64_t place = 0;
    };
    std::vector<Rec> recs;
    std::vector<std::int32_t> first;  // by number: its first Rec, -1 when none

    // Whether object n is a candidate of line f's window with the year
    // `year` (its first record in the window decides), and its place.
    bool candidate(const LineFrame& f, int first_year, std::int32_t n, std::int32_t year, std::uint64_t& place) const {
        std::int32_t i = first[static_cast<std::size_t>(n)];
        if (i < 0) return false;
        for (auto k = static_cast<std::size_t>(i); k < recs.size() && recs[k].number == n; ++k) {
            const std::uint64_t at = recs[k].place;
            const auto y = static_cast<int>(at >> 32) + first_year;
            const std::size_t index = static_cast<std::size_t>(at & 0xffffffffu);
            for (const LineFrame::Range& r : f.ranges) {
                if (r.year != y || index < r.begin || index >= r.end) continue;
                place = at;
                return recs[k].year == year;
            }
        }
        return false;
    }
};

// One object of the sky (one element set of it): the dates [lo, hi] (TT)
// over which elmnt takes that set, its geocentric place and motion at the
// sky's reference date t0, and the bounds of the extrapolation. FullTest:
// no bound (fast or unusual orbits, sets that could not be read); every
// line of its dates tests it in full.
struct SkyEntry {
    enum class Kind : std::uint8_t { Bounded, FullTest };
    Kind kind = Kind::FullTest;
    std::int32_t number = 0;
    std::int32_t year = 0;  // the year elmnt is asked for (0: the special list's)
    double lo = 0.0, hi = 0.0;
    double g[3] = {0.0, 0.0, 0.0};
    double gdot[3] = {0.0, 0.0, 0.0};
    double half_acc = 0.0;  // (k^2/q^2 + a_E) / 2
    double vmax = 0.0;
};

// True when the place of an entry's object at the line's date lies outside
// every accepted direction: the distance from the extrapolated point to the
// cone of directions within s of the observed one, against the bound.
bool outside(const SkyEntry& e, double t0, const LineFrame& f, double cos_s, double sin_s) {
    if (e.kind != SkyEntry::Kind::Bounded) return false;
    const double h = f.t - t0;
    const double gx = e.g[0] + e.gdot[0] * h, gy = e.g[1] + e.gdot[1] * h, gz = e.g[2] + e.gdot[2] * h;
    const double l2 = gx * gx + gy * gy + gz * gz;
    const double l = std::sqrt(l2);
    const double miss = e.half_acc * h * h + f.c_norm;
    const double r = (miss + (l + miss) * e.vmax * kInvC * 1.01) * (1.0 + 1e-6) + 1e-12;
    const double d = f.o[0] * gx + f.o[1] * gy + f.o[2] * gz;
    // L sin(phi - s) = |o x g| cos s - (o . g) sin s, against r.
    const double rhs = r + d * sin_s;
    if (rhs < 0.0) return true;
    const double across2 = std::max(0.0, l2 - d * d);
    return across2 * cos_s * cos_s > rhs * rhs;
}

// The cells of the sky.
class SkyGrid {
public:
    SkyGrid() {
        band_first_.resize(kBands + 1);
        band_cells_.resize(kBands);
        int total = 0;
        for (int b = 0; b < kBands; ++b) {
            const double centre = (b + 0.5 - kBands / 2.0) * kPi / kBands;
            band_cells_[b] = std::max(1, static_cast<int>(std::floor(360.0 * std::cos(centre))));
            band_first_[b] = total;
            total += band_cells_[b];
        }
        band_first_[kBands] = total;
    }
    int cells() const { return band_first_[kBands]; }
    int band(double dec) const {
        return std::clamp(static_cast<int>(std::floor((dec + kPi / 2) / kPi * kBands)), 0, kBands - 1);
    }
    int cell(double ra, double dec) const {
        const int b = band(dec);
        const int n = band_cells_[b];
        const int c = static_cast<int>(std::floor(norm2pi(ra) / kTwoPi * n));
        return band_first_[b] + std::clamp(c, 0, n - 1);
    }
    // Calls add(cell) for every cell that holds a point within `radius`
    // (radians, below pi/2) of the direction (ra, dec), some more.
    template <class Add>
    void cover(double ra, double dec, double radius, Add&& add) const {
        const int b0 = band(dec - radius), b1 = band(dec + radius);
        // Half width in R.A. of the cap: sin(dRA) = sin(radius) / cos(dec),
        // unless the cap holds a pole.
        double half = kPi;
        if (std::fabs(dec) + radius < kPi / 2 - 1e-9) {
            const double s = std::sin(radius) / std::cos(dec);
            if (s < 1.0) half = std::asin(s) + 1e-9;
        }
        for (int b = b0; b <= b1; ++b) {
            const int n = band_cells_[b];
            if (half >= kPi) {
                for (int c = 0; c < n; ++c) add(band_first_[b] + c);
                continue;
            }
            const double a = norm2pi(ra - half) / kTwoPi * n;
            const int first = std::clamp(static_cast<int>(std::floor(a)), 0, n - 1);
            const int span = static_cast<int>(std::floor(2.0 * half / kTwoPi * n)) + 2;
            for (int k = 0; k < std::min(span, n); ++k) add(band_first_[b] + (first + k) % n);
        }
    }

private:
    std::vector<int> band_first_, band_cells_;
};

// The shared sky of a group of lines: its entries, the cells that hold
// them, and the entries that every line tests.
struct SkyIndex {
    double t0 = 0.0;
    std::vector<SkyEntry> entries;
    std::vector<std::uint32_t> cell_start;  // entries of cell c: items[cell_start[c] .. cell_start[c + 1])
    std::vector<std::uint32_t> items;
    std::vector<std::uint32_t> wide;

    // Places the entries in the cells: each where its place can be seen at
    // the group's dates (at most hmax days from t0, the observer at most
    // c_max from the geocentre) within the separation s.
    void place(const SkyGrid& grid, double hmax, double c_max, double s) {
        struct Disc {
            double ra, dec, radius;
        };
        std::vector<Disc> discs(entries.size());
        std::vector<std::uint32_t> count(static_cast<std::size_t>(grid.cells()) + 1, 0);
        wide.clear();
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const SkyEntry& e = entries[k];
            Disc& d = discs[k];
            d.radius = -1.0;
            if (e.kind == SkyEntry::Kind::Bounded) {
                const double l = std::sqrt(e.g[0] * e.g[0] + e.g[1] * e.g[1] + e.g[2] * e.g[2]);
                const double v = std::sqrt(e.gdot[0] * e.gdot[0] + e.gdot[1] * e.gdot[1] + e.gdot[2] * e.gdot[2]);
                const double moved = v * hmax;
                const double miss = e.half_acc * hmax * hmax + c_max;
                const double r = (miss + (l + moved + miss) * e.vmax * kInvC * 1.01) * (1.0 + 1e-6) + 1e-12;
                const double rho = moved + r;
                if (rho < 0.5 * l) {
                    d.radius = std::asin(rho / l) * (1.0 + 1e-9) + s + 1e-9;
                    d.ra = std::atan2(e.g[1], e.g[0]);
                    d.dec = std::asin(std::clamp(e.g[2] / l, -1.0, 1.0));
                }
            }
            if (!(d.radius >= 0.0 && d.radius <= kCellRadiusMax)) {
                d.radius = -1.0;
                wide.push_back(static_cast<std::uint32_t>(k));
                continue;
            }
            grid.cover(d.ra, d.dec, d.radius, [&](int c) { ++count[static_cast<std::size_t>(c) + 1]; });
        }
        for (std::size_t c = 1; c < count.size(); ++c) count[c] += count[c - 1];
        cell_start = count;
        items.assign(count.back(), 0);
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const Disc& d = discs[k];
            if (d.radius < 0.0) continue;
            grid.cover(d.ra, d.dec, d.radius,
                       [&](int c) { items[count[static_cast<std::size_t>(c)]++] = static_cast<std::uint32_t>(k); });
        }
    }
};

// The entries of the candidates keys[0 ..) of a group whose lines have the
// TT dates `dates` (ascending, distinct): per candidate one entry for each
// element set elmnt takes at those dates, its state at t0 (the geocentric
// Sun then: sun_t0).
Status sky_entries(CoreState& core, std::string_view data_dir, std::span<const Candidate> keys,
                   const std::vector<double>& dates, double t0, const StateVector& sun_t0, std::vector<SkyEntry>& out) {
    const std::int32_t comet = core.catalogue.comet_mode;
    std::int32_t d1 = 0;
    double f1 = 0.0;
    {
        const double whole = std::floor(t0);
        d1 = static_cast<std::int32_t>(whole);
        f1 = t0 - whole;
    }
    for (const Candidate& key : keys) {
        double covered = -std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < dates.size();) {
            ElementSet set{};
            ElementFlags flags;
            JdSpan span;
            SkyEntry e;
            e.number = key.number;
            e.year = key.year;
            if (!elmnt_set_span(core, key.number, dates[i], key.year, set, flags, span, data_dir)) {
                // Tested in full at every line: the test meets the failure
                // where the search of every candidate would.
                e.lo = -std::numeric_limits<double>::infinity();
                e.hi = std::numeric_limits<double>::infinity();
                out.push_back(e);
                break;
            }
            if (flags.bad_number) break;  // no such object: nothing to compare
            e.lo = std::max(span.lo, std::nextafter(covered, 0.0 * covered + 1.0));
            e.hi = span.hi;
            if (!(e.lo > covered)) e.lo = dates[i];
            covered = e.hi;
            while (i < dates.size() && dates[i] <= e.hi) ++i;
            const OrbitElements el = OrbitElements::from(set.data() + 1);
            if (el.ecc >= 0.0 && el.ecc < 1.0 && el.mean_motion > 0.0 && is_calendar_jd(set[0])) {
                const double q = semiaxis(el.mean_motion, 0.0) * (1.0 - el.ecc);
                const double vmax = kGaussK * std::sqrt((1.0 + el.ecc) / q);
                StateVector p{};
                const double whole = std::floor(set[0]);
                if (q > 0.0 && vmax < kMaxSpeed &&
                    twobody(0.0, static_cast<std::int32_t>(whole), set[0] - whole, el, d1, f1, kObliquityJ2000, p,
                            kepler_tolerance(comet))
                        .ok()) {
                    for (std::size_t c = 0; c < 3; ++c) {
                        e.g[c] = p[c] + sun_t0[c];
                        e.gdot[c] = p[c + 3] + sun_t0[c + 3];
                    }
                    e.half_acc = 0.5 * (kGaussK * kGaussK / (q * q) + kSunAccelerationBound);
                    e.vmax = vmax;
                    bool finite = true;
                    for (std::size_t c = 0; c < 3; ++c)
                        finite = finite && std::isfinite(e.g[c]) && std::isfinite(e.gdot[c]);
                    if (finite) e.kind = SkyEntry::Kind::Bounded;
                }
            }
            out.push_back(e);
        }
    }
    return ok_status();
}

// ---- One run -----------------------------------------------------------------------

// Clears what the run leaves in the shared areas, on every path.
struct RunCleanup {
    CoreState& core;
    ~RunCleanup() {
        core.de.flags[static_cast<std::size_t>(BodyCode::Sun) - 1] = StateLevel::None;
        de_close(core.de, core.de_copies);
        catclose(core.catalogue);
    }
};

// What the lines of a run share: the special list (and where each number
// stands in it), the tolerances, the separation bound.
struct RunShared {
    const std::vector<std::int32_t>& special;
    std::vector<std::int32_t> special_at;  // by number: place in the special list, -1 when not in it
    double tol_ra = 0.0, tol_decl = 0.0;
    bool use_sky = false;
    double s = 0.0, cos_s = 1.0, sin_s = 0.0;  // the largest accepted separation

    RunShared(const std::vector<std::int32_t>& list, std::int32_t objects, double ra, double decl, bool sky)
        : special(list), tol_ra(ra), tol_decl(decl) {
        special_at.assign(static_cast<std::size_t>(std::max(objects, 0)) + 1, -1);
        for (std::size_t k = 0; k < list.size(); ++k)
            if (list[k] >= 1 && list[k] <= objects)
                special_at[static_cast<std::size_t>(list[k])] = static_cast<std::int32_t>(k);
        // |dDecl| <= tD and |dRA| cos(Decl.) <= tA give hav(s) <= ((tD + tA)/2)^2.
        const double half = 0.5 * (tol_ra + tol_decl);
        if (sky && half < 0.4) {
            s = half < 0.0 ? 0.0 : 2.0 * std::asin(half) * (1.0 + 1e-9) + 1e-10;
            cos_s = std::cos(s);
            sin_s = std::sin(s);
            use_sky = true;
        }
    }
};

class Identification {
public:
    Identification(LibraryState& st, const RunShared& run, OppositionYears& opp)
        : st_(st), run_(run), opp_(opp), data_dir_(io::trim_right(st.core.data_paths.data_dir)) {
        const CatalogueState& cat = st.core.catalogue;
        comet_ = cat.comet_mode;
        numbered_ = cat.counts.numbered;
        objects_ = st.core.package.objects;
        stamp_.assign(static_cast<std::size_t>(std::max(objects_, 0)) + 1, 0);
        for (std::int32_t n : run.special)
            if (n >= 1 && n <= objects_) stamp_[static_cast<std::size_t>(n)] = kSpecialMark;
    }

    LibraryState& state() { return st_; }
    CoreState& core() { return st_.core; }
    const std::string& data_dir() const { return data_dir_; }

    // The frame of the line parsed last (the state's parsed observation and
    // observer) and its candidates of the opposition files (as a list, or as
    // ranges of records when `ranged`): each object once (an object near the
    // Earth's orbit can come to opposition twice in the window), the special
    // list's left to it.
    Status frame(LineFrame& f, bool ranged) {
        const ParsedObservation& obs = st_.parsed_observation;
        double dt = 0.0;
        f.jd = obs.jd;
        f.fr_ut = obs.jd_fraction;
        deltat(st_.core.delta_t, obs.jd, obs.jd_fraction, DeltaTDirection::UtToTt, dt, f.fr_tt);
        f.t = static_cast<double>(f.jd) + f.fr_tt;
        // The geocentric Sun at the TT date and the observer at the same instant.
        ZEL_TRY(reade403(st_.core.de, st_.core.de_copies, st_.core.data_paths, static_cast<double>(f.jd),
                         f.fr_tt * 86400.0));
        const State9& s9 = st_.core.de.result;
        for (std::size_t i = 0; i < 6; ++i) f.sun[i] = s9[i];
        const ObserverSite& site = st_.core.observer_site;
        f.observer = obsvec_j2000(f.jd, f.fr_tt, f.fr_ut, site.longitude, site.rho_cos_phi, site.rho_sin_phi);
        f.o1 = obs.angle1_rad;
        f.o2 = obs.angle2_rad;
        f.o[0] = std::cos(f.o2) * std::cos(f.o1);
        f.o[1] = std::cos(f.o2) * std::sin(f.o1);
        f.o[2] = std::sin(f.o2);
        f.c_norm =
            std::sqrt(f.observer[0] * f.observer[0] + f.observer[1] * f.observer[1] + f.observer[2] * f.observer[2]);
        f.win = observation_window(obs.jd + obs.jd_fraction, f.o1, f.sun[0], f.sun[1]);
        f.window.clear();
        f.ranges.clear();
        f.ranged = false;
        return ranged ? window_ranges(f) : window_list(f);
    }

    // The window's records of frame f as ranges of the year files (frame):
    // the first record at or after the window's start as the search finds
    // it, the first later than its end by bisection.
    Status window_ranges(LineFrame& f) {
        const OppositionWindow& win = f.win;
        bool usable = true;
        auto scan = [&](int year, double from, bool& past) -> Status {
            auto pos = opp_.find(from);
            if (!pos) return pos.status();
            if (!*pos) return ok_status();
            const OppositionYears::Position& p = **pos;
            std::size_t lo = p.index, hi = p.count;
            while (lo < hi) {
                const std::size_t mid = lo + (hi - lo) / 2;
                const double jd = io::get_f64(p.records, mid * OppositionRecord::kLength + OppositionRecord::kJdOff);
                if (!(jd > 0.0 && is_calendar_jd(jd))) {
                    usable = false;
                    past = true;
                    return ok_status();
                }
                if (jd > win.last)
                    hi = mid;
                else
                    lo = mid + 1;
            }
            f.ranges.push_back({year, p.index, lo, p.count, p.records});
            if (lo < p.count) past = true;
            return ok_status();
        };
        ZEL_TRY(for_each_window_year(win, opp_.first_year(), opp_.last_year(), scan));
        f.ranged = usable;
        return ok_status();
    }

    // The window's candidates of frame f as a list, in the order of the
    // search.
    Status window_list(LineFrame& f) {
        const OppositionWindow& win = f.win;
        f.window.clear();
        const std::uint32_t mark = next_mark();
        auto scan = [&](int year, double from, bool& past) -> Status {
            auto pos = opp_.find(from);
            if (!pos) return pos.status();
            if (!*pos) return ok_status();
            const OppositionYears::Position& p = **pos;
            // The dates that certainly fall in the file's year (others are
            // converted one by one).
            const double inside_from = new_year_jd(year) + 1e-6, inside_to = new_year_jd(year + 1) - 1e-6;
            for (std::size_t k = p.index; k < p.count; ++k) {
                const OppositionRecord r = OppositionRecord::decode(
                    p.records.subspan(k * OppositionRecord::kLength, OppositionRecord::kLength));
                if (!(r.jd > 0.0 && is_calendar_jd(r.jd))) return OppositionYears::record(p, k).status();
                if (r.jd > win.last) {
                    past = true;
                    break;
                }
                // Numbers outside the catalogue name no object: nothing to test.
                if (r.number < 1 || r.number > objects_) continue;
                std::uint32_t& stamp = stamp_[static_cast<std::size_t>(r.number)];
                if (stamp == mark || stamp == kSpecialMark) continue;
                stamp = mark;
                f.window.push_back({r.number, r.jd >= inside_from && r.jd <= inside_to ? year : year_of_jd(r.jd)});
            }
            return ok_status();
        };
        return for_each_window_year(win, opp_.first_year(), opp_.last_year(), scan);
    }

    // Tests every candidate of the line of frame f in full, the window's in
    // their order, then the special list; appends its records to out.
    Status line_full(std::string_view text, const LineFrame& f, std::vector<std::string>& out) {
        begin(text, f, out);
        for (const Candidate& c : f.window) ZEL_TRY(test(c.number, c.year));
        for (std::int32_t n : run_.special) ZEL_TRY(test(n, 0));
        return end();
    }

    // The same through the sky of the line's group: the candidates that the
    // sky cannot place outside the tolerances get the full test, in the
    // order of line_full; the records are those of line_full.
    Status line_sky(std::string_view text, const LineFrame& f, const SkyIndex& sky, const SkyGrid& grid,
                    const GroupRecords& group, std::vector<std::string>& out) {
        tests_.clear();
        auto consider = [&](std::uint32_t k) {
            const SkyEntry& e = sky.entries[k];
            if (!(e.lo <= f.t && f.t <= e.hi)) return;
            const auto n = static_cast<std::size_t>(e.number);
            std::uint64_t order = 0;
            if (e.year == 0) {
                if (run_.special_at[n] < 0) return;
                order = (std::uint64_t{1} << 62) + static_cast<std::uint64_t>(run_.special_at[n]);
            } else if (!group.candidate(f, opp_.first_year(), e.number, e.year, order)) {
                return;
            }
            if (outside(e, sky.t0, f, run_.cos_s, run_.sin_s)) return;
            tests_.push_back({order, k});
        };
        const int c = grid.cell(f.o1, f.o2);
        for (std::uint32_t i = sky.cell_start[static_cast<std::size_t>(c)];
             i < sky.cell_start[static_cast<std::size_t>(c) + 1]; ++i)
            consider(sky.items[i]);
        for (std::uint32_t k : sky.wide) consider(k);
        std::sort(tests_.begin(), tests_.end());
        begin(text, f, out);
        for (const auto& t : tests_) {
            const SkyEntry& e = sky.entries[t.second];
            ZEL_TRY(test(e.number, e.year));
        }
        return end();
    }

private:
    std::uint32_t next_mark() {
        if (++mark_ == kSpecialMark) {  // wrapped: no stamp may look current
            for (std::uint32_t& v : stamp_)
                if (v != kSpecialMark) v = 0;
            mark_ = 1;
        }
        return mark_;
    }

    void begin(std::string_view text, const LineFrame& f, std::vector<std::string>& out) {
        f_ = &f;
        text_ = text;
        out_ = &out;
        accepted_ = 0;
    }
    Status end() {
        if (accepted_ == 0) out_->push_back(id_not_found_record(text_));
        return ok_status();
    }

    // A place that is not a number: the elements (or the package files under
    // them) cannot be what they say, and no comparison may pass it.
    static Status unplaceable(std::int32_t n, const ElementFlags& flags) {
        return error_status("The place of object " + std::to_string(n) + " cannot be computed from its " +
                            (flags.from_catalogue ? "catalogue" : "yearly") + " elements: it is not a number.");
    }

    Status test(std::int32_t n, std::int32_t year) {
        const LineFrame& f = *f_;
        OrbitElementsArray el{};
        ElementFlags flags;
        ZEL_TRY(elmnt(st_.core, n, f.t, year, el, flags, data_dir_));
        if (flags.bad_number) return ok_status();  // no such object: nothing to compare
        StateVector p{};
        if (!twobody(0.0, f.jd, f.fr_tt, OrbitElements::from(el.data()), f.jd, f.fr_tt, kObliquityJ2000, p,
                     kepler_tolerance(comet_))
                 .ok())
            return ok_status();  // an orbit two-body motion cannot follow
        SkyDirection dir;
        lightt(p, f.sun, f.observer, dir, LightTimeRates::Kept);
        if (!std::isfinite(dir.ra) || !std::isfinite(dir.dec) || !std::isfinite(dir.dist)) return unplaceable(n, flags);
        // Declination, then right ascension times cos(observed Decl.).
        const double e = f.o2 - dir.dec;
        if (!(std::fabs(e) <= run_.tol_decl)) return ok_status();
        const RaDifference ra = ra_difference(f.o1, dir.ra);
        const double a = ra.size * std::cos(f.o2);
        if (!(a <= run_.tol_ra)) return ok_status();

        auto phot = catphot(st_.core.catalogue, n);
        if (!phot) return phot.status();
        auto name = catname(st_.core.catalogue, n);
        if (!name) return name.status();
        const Vec3 pos{p[0], p[1], p[2]};
        const Vec3 sun_obs{f.sun[0] + f.observer[0], f.sun[1] + f.observer[1], f.sun[2] + f.observer[2]};
        const PhaseElongation pe = elongph(pos, sun_obs);
        const double r = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        const double m = magn(r, dir.dist, pe.phase, phot->h, phot->g, comet_ != 0);
        const ParsedObservation& obs = st_.parsed_observation;

        IdMatch match;
        match.number = n;
        match.numbered = n <= numbered_;
        match.accepted = flags.accepted;
        match.name = name->substr(0, id_result::kNameLen);
        match.ra_arcsec = a * kArcsecPerRad;
        match.ra_negative = ra.negative;
        match.decl_arcsec = std::fabs(e) * kArcsecPerRad;
        match.decl_negative = !(e > 0.0);
        match.magnitude_known = obs.magnitude != 0.0 && !(phot->h == 0.0 && phot->g == 0.0) && magnitude_known(m);
        match.magnitude_residual = obs.magnitude - m;
        match.band = obs.band_flag;
        match.observatory = obs.observatory;
        out_->push_back(id_result_record(text_, accepted_ == 0, match));
        ++accepted_;
        return ok_status();
    }

    LibraryState& st_;
    const RunShared& run_;
    OppositionYears& opp_;
    std::string data_dir_;
    std::int32_t comet_ = 0, numbered_ = 0, objects_ = 0;
    // Per object: the mark of the last line whose window list holds it
    // (kSpecialMark for the objects of the special list).
    static constexpr std::uint32_t kSpecialMark = 0xffffffffu;
    std::vector<std::uint32_t> stamp_;
    std::uint32_t mark_ = 0;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> tests_;  // (order, entry)

    // The line under test.
    const LineFrame* f_ = nullptr;
    std::string_view text_;
    std::vector<std::string>* out_ = nullptr;
    int accepted_ = 0;
};

Status write_header(const DataPaths& paths, double tol_ra_arcsec, double tol_decl_arcsec) {
    auto block = read_heading_block(paths, TaskHeaderKind::Identification, 1);
    if (!block) return block.status();
    std::vector<std::string> lines = std::move(*block);
    if (lines.size() >= 6) {
        put_columns(lines[5], 56, io::fmt_f(tol_ra_arcsec, 6, 1));
        put_columns(lines[5], 64, io::fmt_f(tol_decl_arcsec, 6, 1));
    }
    // Replaced, not truncated: truncating a file that has data makes some
    // file systems (ext4) write it out first, which costs milliseconds.
    std::error_code ec;
    std::filesystem::remove(std::string(files::kIdentificationHeader), ec);
    return write_task_header(TaskHeaderKind::Identification, {}, lines);
}

constexpr std::int32_t kOneThreadObjects = 1000000;

// One line of a batch: its text and what its parse left, its frame, then its
// records or the failure of its test.
struct BatchLine {
    std::int32_t index = 0;  // record of "input.id1"
    std::string text;        // 80 columns
    ParsedObservation observation;
    ObserverSite site;
    LineFrame frame;
    Status outcome = ok_status();
    std::vector<std::string> records;
};

// How many threads test the lines of a run: `asked` when set (1: this
// thread alone); else one for a catalogue of up to a million objects, whose
// lines take a fraction of a millisecond each (a worker's set-up costs
// more), and for a larger one as many as the processors, at most 8 and no
// more than a quarter of the lines.
int id_workers(int asked, std::int32_t lines, std::int32_t objects) {
    if (asked > 0) return std::min(asked, 64);
    if (objects <= kOneThreadObjects) return 1;
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return static_cast<int>(std::clamp<std::int32_t>(lines / 4, 1, std::min(cores, 8)));
}

// A worker: a library state of its own, set up as the run's (settings,
// catalogue, Delta T, the planetary file with the geocentric Sun), and its
// own search of the lines.
struct IdWorker {
    LibraryState state;
    std::optional<Identification> id;
    Status ready = ok_status();

    IdWorker(const RunShared& run, OppositionYears& opp) {
        ScopedLibraryState current(state);
        ready = prepare();
        if (ready) id.emplace(state, run, opp);
    }
    ~IdWorker() {
        de_close(state.core.de, state.core.de_copies);
        catclose(state.core.catalogue);
    }
    IdWorker(const IdWorker&) = delete;
    IdWorker& operator=(const IdWorker&) = delete;

private:
    Status prepare() {
        CoreState& core = state.core;
        ZEL_TRY(catopen(core.catalogue));
        ZEL_TRY(in_par(core));
        ZEL_TRY(load_delta_t(core.delta_t, io::find_file(io::trim_right(core.data_paths.data_dir), files::kDeltaT)));
        core.de.flags = {};
        core.de.flags[static_cast<std::size_t>(BodyCode::Sun) - 1] = StateLevel::Velocity;
        core.de.centre = BodyCode::Earth;
        return de_open(core.de, core.de_copies, core.data_paths);
    }
};

// The searches of a run: this thread's, and the workers' when the run has
// more than one thread (made at the first batch that needs them).
class IdTeam {
public:
    IdTeam(Identification& own, const RunShared& run, OppositionYears& opp, int workers)
        : own_(own), run_(run), opp_(opp), workers_(workers) {}
    int first_year() const { return opp_.first_year(); }

    // Calls job(identification, k) for k = 0 .. count - 1, each on one thread;
    // a job's state is that thread's.
    template <class Job>
    Status each(std::size_t count, Job&& job) {
        const auto threads = std::min<std::size_t>(static_cast<std::size_t>(workers_), count);
        if (threads <= 1) {
            for (std::size_t k = 0; k < count; ++k) job(own_, k);
            return ok_status();
        }
        while (pool_.size() < threads) {
            pool_.push_back(std::make_unique<IdWorker>(run_, opp_));
            if (!pool_.back()->ready) return pool_.back()->ready;
        }
        std::atomic<std::size_t> next{0};
        auto work = [&](IdWorker& w) {
            ScopedLibraryState current(w.state);
            for (std::size_t k = next++; k < count; k = next++) job(*w.id, k);
        };
        std::vector<std::thread> running;
        for (std::size_t t = 1; t < threads; ++t) running.emplace_back(work, std::ref(*pool_[t]));
        work(*pool_[0]);
        for (std::thread& t : running) t.join();
        return ok_status();
    }

private:
    Identification& own_;
    const RunShared& run_;
    OppositionYears& opp_;
    int workers_;
    std::vector<std::unique_ptr<IdWorker>> pool_;
};

// Tests the parsed lines of a batch: their frames, then group by group (lines
// within kGroupSpanDays of each other) the group's sky and its lines.
Status test_batch(IdTeam& team, const RunShared& run, const SkyGrid& grid, std::vector<BatchLine>& lines,
                  std::int32_t objects) {
    auto enter = [](Identification& id, const BatchLine& l) {
        id.state().parsed_observation = l.observation;
        id.state().core.observer_site = l.site;
    };
    ZEL_TRY(team.each(lines.size(), [&](Identification& id, std::size_t k) {
        BatchLine& l = lines[k];
        enter(id, l);
        l.outcome = id.frame(l.frame, run.use_sky);
    }));
    auto full = [&](std::span<const std::size_t> which) {
        return team.each(which.size(), [&](Identification& id, std::size_t k) {
            BatchLine& l = lines[which[k]];
            if (!l.outcome) return;
            enter(id, l);
            if (run.use_sky) l.outcome = id.window_list(l.frame);  // the frame has its ranges only
            if (l.outcome) l.outcome = id.line_full(l.text, l.frame, l.records);
        });
    };
    std::vector<std::size_t> order;
    for (std::size_t k = 0; k < lines.size(); ++k)
        if (lines[k].outcome) order.push_back(k);
    if (!run.use_sky) return full(order);
    // The lines in order of date, in groups.
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return lines[a].frame.t < lines[b].frame.t; });
    const int first_year = team.first_year();
    GroupRecords records;
    records.first.assign(static_cast<std::size_t>(std::max(objects, 0)) + 1, -1);
    for (std::size_t g0 = 0; g0 < order.size();) {
        std::size_t g1 = g0 + 1;
        while (g1 < order.size() && lines[order[g1]].frame.t - lines[order[g0]].frame.t <= kGroupSpanDays) ++g1;
        const std::span<const std::size_t> group(order.data() + g0, g1 - g0);
        g0 = g1;
        // The windows' records: per year the ranges of the lines merged; each
        // record read and its date checked, the dates in order through every
        // range up to the record that ends it (which the bisections took for
        // granted). Otherwise the lines take the search of every candidate.
        struct Span {
            int year;
            std::size_t begin, end, count;
            io::Bytes records;
        };
        std::vector<Span> spans;
        bool usable = true;
        for (std::size_t k : group) {
            usable = usable && lines[k].frame.ranged;
            for (const LineFrame::Range& r : lines[k].frame.ranges)
                spans.push_back({r.year, r.begin, r.end, r.count, r.records});
        }
        std::sort(spans.begin(), spans.end(),
                  [](const Span& a, const Span& b) { return a.year != b.year ? a.year < b.year : a.begin < b.begin; });
        std::vector<Span> merged;
        for (const Span& sp : spans) {
            if (!merged.empty() && merged.back().year == sp.year && sp.begin <= merged.back().end)
                merged.back().end = std::max(merged.back().end, sp.end);
            else
                merged.push_back(sp);
        }
        records.recs.clear();
        for (const Span& sp : merged) {
            if (!usable) break;
            const std::size_t last = std::min(sp.end, sp.count - 1);  // the record that ends the range too
            double before = -std::numeric_limits<double>::infinity();
            const double inside_from = new_year_jd(sp.year) + 1e-6, inside_to = new_year_jd(sp.year + 1) - 1e-6;
            for (std::size_t k = sp.begin; k <= last; ++k) {
                const OppositionRecord r = OppositionRecord::decode(
                    sp.records.subspan(k * OppositionRecord::kLength, OppositionRecord::kLength));
                if (!(r.jd > 0.0 && is_calendar_jd(r.jd)) || r.jd < before) {
                    usable = false;
                    break;
                }
                before = r.jd;
                if (k >= sp.end || r.number < 1 || r.number > objects ||
                    run.special_at[static_cast<std::size_t>(r.number)] >= 0)
                    continue;
                records.recs.push_back({r.number, r.jd >= inside_from && r.jd <= inside_to ? sp.year : year_of_jd(r.jd),
                                        static_cast<std::uint64_t>(sp.year - first_year) << 32 | k});
            }
        }
        if (!usable) {
            ZEL_TRY(full(group));
            continue;
        }
        std::sort(records.recs.begin(), records.recs.end(), [](const GroupRecords::Rec& a, const GroupRecords::Rec& b) {
            return a.number != b.number ? a.number < b.number : a.place < b.place;
        });
        const LineFrame& middle = lines[group[group.size() / 2]].frame;
        SkyIndex sky;
        sky.t0 = middle.t;
        // The group's dates and candidates: each (object, year) once, the
        // special list's with year 0.
        std::vector<double> dates;
        double c_max = 0.0;
        for (std::size_t k : group) {
            dates.push_back(lines[k].frame.t);
            c_max = std::max(c_max, lines[k].frame.c_norm);
        }
        std::vector<Candidate> keys;
        for (std::size_t k = 0; k < records.recs.size(); ++k) {
            const GroupRecords::Rec& r = records.recs[k];
            const bool first = k == 0 || records.recs[k - 1].number != r.number;
            if (first) records.first[static_cast<std::size_t>(r.number)] = static_cast<std::int32_t>(k);
            bool known = false;
            for (std::size_t j = static_cast<std::size_t>(records.first[static_cast<std::size_t>(r.number)]); j < k;
                 ++j)
                known = known || records.recs[j].year == r.year;
            if (!known) keys.push_back({r.number, r.year});
        }
        for (std::int32_t n : run.special)
            if (n >= 1 && n <= objects) keys.push_back({n, 0});
        std::sort(dates.begin(), dates.end());
        dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
        // The entries, in chunks over the threads, then the cells.
        constexpr std::size_t kChunk = 2048;
        const std::size_t chunks = (keys.size() + kChunk - 1) / kChunk;
        std::vector<std::vector<SkyEntry>> parts(chunks);
        std::vector<Status> part_status(chunks, ok_status());
        ZEL_TRY(team.each(chunks, [&](Identification& id, std::size_t k) {
            const std::size_t from = k * kChunk, to = std::min(keys.size(), from + kChunk);
            part_status[k] = sky_entries(id.core(), id.data_dir(), std::span(keys).subspan(from, to - from), dates,
                                         sky.t0, middle.sun, parts[k]);
        }));
        for (const Status& s : part_status) ZEL_TRY(s);
        std::size_t total = 0;
        for (const auto& p : parts) total += p.size();
        sky.entries.reserve(total);
        for (auto& p : parts) sky.entries.insert(sky.entries.end(), p.begin(), p.end());
        parts.clear();
        const double hmax = std::max(std::fabs(dates.front() - sky.t0), std::fabs(dates.back() - sky.t0));
        sky.place(grid, hmax, c_max, run.s);
        ZEL_TRY(team.each(group.size(), [&](Identification& id, std::size_t k) {
            BatchLine& l = lines[group[k]];
            enter(id, l);
            l.outcome = id.line_sky(l.text, l.frame, sky, grid, records, l.records);
        }));
        for (const GroupRecords::Rec& r : records.recs) records.first[static_cast<std::size_t>(r.number)] = -1;
    }
    return ok_status();
}

}  // namespace

Status idcalc(LibraryState& st, std::int32_t& status, std::int32_t& first, std::int32_t last, double tol_ra_arcsec,
              double tol_decl_arcsec, IdProgressCallback cb) {
    if (!std::isfinite(tol_ra_arcsec) || !std::isfinite(tol_decl_arcsec))
        return error_status("The tolerances of the identification are not numbers.");
    RunCleanup cleanup{st.core};
    // Start of the call: the shared areas, the settings, the package files.
    st.line_check = {};
    st.cached_observatory = {};
    ZEL_TRY(catopen(st.core.catalogue));
    ZEL_TRY(in_par(st.core));
    const PackageInfo& info = st.core.package;
    const DataPaths& paths = st.core.data_paths;
    const std::string data_dir(io::trim_right(paths.data_dir));
    ZEL_TRY(load_delta_t(st.core.delta_t, io::find_file(data_dir, files::kDeltaT)));
    auto special = read_special_list(data_dir, info.special);
    if (!special) return special.status();
    ZEL_TRY(write_header(paths, tol_ra_arcsec, tol_decl_arcsec));
    auto obsfile = io::RecordFile::open(io::find_file(data_dir, files::kObservatoryRecords), ObservatoryRecord::kLength,
                                        io::OpenMode::Read);
    if (!obsfile) return error_status("The observatory list cannot be opened: " + obsfile.message());
    DeState& de = st.core.de;
    de.flags = {};
    de.flags[static_cast<std::size_t>(BodyCode::Sun) - 1] = StateLevel::Velocity;
    de.centre = BodyCode::Earth;
    ZEL_TRY(de_open(de, st.core.de_copies, st.core.data_paths));

    // The tolerances in radians, once for the run.
    const double tol_ra = tol_ra_arcsec / kArcsecPerRad;
    const double tol_decl = tol_decl_arcsec / kArcsecPerRad;

    auto input = io::RecordFile::open(std::string(files::kIdInput), id_result::kLength, io::OpenMode::Read);
    if (!input) return error_status("The observation lines cannot be read: " + input.message());
    const bool new_run = status == 0;
    if (new_run) {  // replaced (see write_header)
        std::error_code ec;
        std::filesystem::remove(std::string(files::kIdResult), ec);
    }
    auto result = io::RecordFile::open(std::string(files::kIdResult), id_result::kLength,
                                       new_run ? io::OpenMode::Create : io::OpenMode::ReadWrite);
    if (!result) return error_status("The identification result cannot be written: " + result.message());

    OppositionYears opp(paths.data_dir, paths.opp_counts, info.first_year, info.last_year);
    const bool use_sky = !st.id_run.full_test;
    const RunShared run(*special, info.objects, tol_ra, tol_decl, use_sky);
    Identification id(st, run, opp);

    int total = 9999;
    if (new_run) {
        total = last - first + 1;
        st.id_run.run_first = first;
    }
    std::int32_t count = status < 0 ? -status : status;
    const std::int32_t run_first = st.id_run.run_first;

    // The lines go in batches: each line of a batch is read and parsed here,
    // in order; the batch's lines are tested side by side by the workers
    // (each with a library state of its own), and their records are written
    // here in the order of the lines, as one thread would write them.
    const int workers = id_workers(st.id_run.threads, last - first + 1, info.objects);
    IdTeam team(id, run, opp, workers);
    const SkyGrid grid;
    const std::int32_t batch = kBatchLines;
    std::vector<BatchLine> lines;
    for (std::int32_t i = first; i <= last;) {
        // Read and parse the lines of the batch; a line that does not parse
        // ends the batch before it.
        lines.clear();
        Status parse_failure = ok_status();
        for (; i <= last && static_cast<std::int32_t>(lines.size()) < batch; ++i) {
            BatchLine l;
            l.index = i;
            l.text.assign(id_result::kLength, ' ');
            Status s = input->read(i, std::span(reinterpret_cast<std::uint8_t*>(l.text.data()), l.text.size()));
            if (!s) {
                parse_failure = error_status("Line " + std::to_string(i) + " of \"" + std::string(files::kIdInput) +
                                             "\" cannot be read: " + s.message());
                break;
            }
            l.text.resize(80);
            s = contr_s1(st, *obsfile, l.text, kTaskIdentification, 1);
            if (!s) {
                parse_failure = error_status("Line " + std::to_string(i) + ": " + s.message());
                break;
            }
            l.observation = st.parsed_observation;
            l.site = st.core.observer_site;
            lines.push_back(std::move(l));
        }
        // Test them.
        ZEL_TRY(test_batch(team, run, grid, lines, info.objects));
        // Write their records in order.
        for (BatchLine& l : lines) {
            auto stop_here = [&](const Status& why) {
                status = -count;
                first = l.index;
                return why;
            };
            // A line that fails part way leaves none of its records: a
            // continuation from it writes them all.
            const std::int32_t before = count;
            Status s = l.outcome;
            for (std::size_t k = 0; s && k < l.records.size(); ++k) {
                const std::string& rec = l.records[k];
                s = result->write(count + 1, std::span(reinterpret_cast<const std::uint8_t*>(rec.data()), rec.size()));
                if (s) ++count;
            }
            if (!s) {
                count = before;
                if (Status cut = result->truncate(count); !cut) s = error_status(s.message() + "; " + cut.message());
                return stop_here(error_status("Line " + std::to_string(l.index) + ": " + s.message()));
            }
            if (cb != nullptr && cb(l.index - run_first + 1, total) != 0) {
                first = l.index + 1;
                status = -count;
                return ok_status();
            }
        }
        if (!parse_failure) {
            status = -count;
            first = i;
            return parse_failure;
        }
    }
    status = count;
    return ok_status();
}

}  // namespace zelvomat

extern "C" ZELVOMAT_API void IdCalc(int* status, int* first, int* last, double tolRA, double tolDecl,
                                    ProgressCallback cb) {
    zelvomat::LibraryState& st = zelvomat::library_state();
    zelvomat::export_guard([&]() -> zelvomat::Status {
        if (status == nullptr || first == nullptr || last == nullptr)
            return zelvomat::error_status("IdCalc: the record counters are missing.");
        std::int32_t counted = *status, fi = *first;
        zelvomat::Status s = zelvomat::idcalc(st, counted, fi, *last, tolRA, tolDecl, cb);
        *status = counted;
        *first = fi;
        return s;
    });
}
