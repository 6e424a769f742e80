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
//  - a geocentric sky of the candidates: one two-body state per object,
//    computed from the element set that elmnt takes (a set of the yearly
//    files, or the catalogue's) at the date of the first line that needs it,
//    serves all later lines within a day of it for which elmnt takes the
//    same set (the set is looked up for every candidate and compared; a
//    line of another set gets a state of its own). A candidate is passed
//    over without the full test when a bound on how far its place can lie
//    from that extrapolated state (accelerations, light time, parallax)
//    proves it outside the tolerances; every other candidate gets the full
//    test above, with the elements of that same set carried to the date as
//    elmnt carries them, so the records are those of the full test of every
//    candidate.
//
// Calls: contr_s1, deltat, load_delta_t, reade403, de_open, obsvec_j2000,
// lightt, elongph, twobody, magn, catopen, catname, catphot, ibsearch, elmnt,
// elmnt_set, elements_at, opposition_window, anti_solar_ra,
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
#include <unordered_map>
#include <unordered_set>
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

// ---- The geocentric sky of the candidates ---------------------------------------

// Bounds of the extrapolation. A geocentric place g0 + gdot h of a two-body
// object misses the true geocentric position at t0 + h by at most
// (k^2/q^2 + a_E) h^2 / 2: k^2/q^2 bounds the object's acceleration (q the
// perihelion distance), a_E that of the geocentric Sun (the Sun's pull on
// the Earth at perihelion, 3.06e-4 AU/day^2, the Moon's 1.7e-6 and the
// planets', with room). Light time moves the object back by tau v, tau at
// most (distance)/(c - v), v at most the perihelion speed; the observer lies
// |c| from the geocentre.
constexpr double kSunAccelerationBound = 3.3e-4;  // AU / day^2
constexpr double kMaxExtrapolationDays = 1.0;
constexpr double kMaxSpeed = 1.0;  // AU / day: faster orbits always get the full test

struct SkyEntry {
    enum class Kind : std::uint8_t { Unset, Bounded, FullTest };
    Kind kind = Kind::Unset;
    ElementSet set{};  // the set the state was computed from
    double t0 = 0.0;   // TT
    double g[3] = {0.0, 0.0, 0.0};
    double gdot[3] = {0.0, 0.0, 0.0};
    double half_acc = 0.0;  // (k^2/q^2 + a_E) / 2
    double vmax = 0.0;
};

class CandidateSky {
public:
    void open(const CatalogueState& cat) {
        comet_ = cat.comet_mode;
        entries_.clear();
        entries_.reserve(8192);
    }

    // The observation's frame of the test.
    struct Observation {
        double t = 0.0;                   // TT
        StateVector sun{};                // geocentric Sun
        double o[3] = {0, 0, 0};          // observed unit vector
        double c_norm = 0.0;              // |observer vector|
        double cos_s = 1.0, sin_s = 0.0;  // of the largest accepted separation
    };

    // True when object n, moving on the two-body orbit of `set` (the set
    // elmnt takes for it at the observation's date), can be shown to lie
    // outside the tolerances.
    bool outside(std::int32_t n, const ElementSet& set, const Observation& ob) {
        SkyEntry& e = entries_[n];
        if (e.kind == SkyEntry::Kind::Unset || std::fabs(ob.t - e.t0) > kMaxExtrapolationDays ||
            std::memcmp(e.set.data(), set.data(), sizeof set) != 0)
            prepare(set, ob, e);
        if (e.kind != SkyEntry::Kind::Bounded) return false;
        const double h = ob.t - e.t0;
        const double gx = e.g[0] + e.gdot[0] * h, gy = e.g[1] + e.gdot[1] * h, gz = e.g[2] + e.gdot[2] * h;
        const double l2 = gx * gx + gy * gy + gz * gz;
        const double l = std::sqrt(l2);
        const double miss = e.half_acc * h * h + ob.c_norm;
        const double r = (miss + (l + miss) * e.vmax * kInvC * 1.01) * (1.0 + 1e-6) + 1e-12;
        const double d = ob.o[0] * gx + ob.o[1] * gy + ob.o[2] * gz;
        // Distance from the point g to the cone of the accepted directions,
        // L sin(phi - s) = |o x g| cos s - (o . g) sin s, against r.
        const double rhs = r + d * ob.sin_s;
        if (rhs < 0.0) return true;
        const double across2 = std::max(0.0, l2 - d * d);
        return across2 * ob.cos_s * ob.cos_s > rhs * rhs;
    }

private:
    void prepare(const ElementSet& set, const Observation& ob, SkyEntry& e) {
        e = SkyEntry{};
        e.kind = SkyEntry::Kind::FullTest;
        e.set = set;
        e.t0 = ob.t;
        const OrbitElements el = OrbitElements::from(set.data() + 1);
        if (!(el.ecc >= 0.0 && el.ecc < 1.0 && el.mean_motion > 0.0)) return;
        const double q = semiaxis(el.mean_motion, 0.0) * (1.0 - el.ecc);
        const double vmax = kGaussK * std::sqrt((1.0 + el.ecc) / q);
        if (!(q > 0.0) || !(vmax < kMaxSpeed)) return;
        std::int32_t d0 = 0, d1 = 0;
        double f0 = 0.0, f1 = 0.0;
        if (!split(set[0], d0, f0) || !split(ob.t, d1, f1)) return;
        StateVector p{};
        if (!twobody(0.0, d0, f0, el, d1, f1, kObliquityJ2000, p, kepler_tolerance(comet_)).ok()) return;
        for (std::size_t i = 0; i < 3; ++i) {
            e.g[i] = p[i] + ob.sun[i];
            e.gdot[i] = p[i + 3] + ob.sun[i + 3];
        }
        e.half_acc = 0.5 * (kGaussK * kGaussK / (q * q) + kSunAccelerationBound);
        e.vmax = vmax;
        e.kind = SkyEntry::Kind::Bounded;
    }

    static bool split(double jd, std::int32_t& day, double& fraction) {
        if (!is_calendar_jd(jd)) return false;
        const double whole = std::floor(jd);
        day = static_cast<std::int32_t>(whole);
        fraction = jd - whole;
        return true;
    }

    std::int32_t comet_ = 0;
    std::unordered_map<std::int32_t, SkyEntry> entries_;  // by catalogue number (numbers are sparse)
};

// ---- One run -----------------------------------------------------------------------

struct RunFiles {
    io::RecordFile input, result, observatories;
};

// Clears what the run leaves in the shared areas, on every path.
struct RunCleanup {
    CoreState& core;
    ~RunCleanup() {
        core.de.flags[static_cast<std::size_t>(BodyCode::Sun) - 1] = StateLevel::None;
        de_close(core.de, core.de_copies);
        catclose(core.catalogue);
    }
};

class Identification {
public:
    Identification(LibraryState& st, double tol_ra_rad, double tol_decl_rad, const std::vector<std::int32_t>& special,
                   bool use_sky, OppositionYears& opp)
        : st_(st),
          tol_ra_(tol_ra_rad),
          tol_decl_(tol_decl_rad),
          special_(special),
          opp_(opp),
          data_dir_(io::trim_right(st.core.data_paths.data_dir)) {
        const CatalogueState& cat = st.core.catalogue;
        sky_.open(cat);
        comet_ = cat.comet_mode;
        numbered_ = cat.counts.numbered;
        // The largest separation of an accepted place from the observed one:
        // |dDecl| <= tD and |dRA| cos(Decl.) <= tA give hav(s) <= ((tD + tA)/2)^2.
        const double half = 0.5 * (tol_ra_ + tol_decl_);
        if (use_sky && half < 0.4) {
            const double s = half < 0.0 ? 0.0 : 2.0 * std::asin(half) * (1.0 + 1e-9) + 1e-10;
            cos_s_ = std::cos(s);
            sin_s_ = std::sin(s);
            use_sky_ = true;
        }
    }

    // Tests the line parsed last (the state's parsed observation and
    // observer); appends its records to out.
    Status line(std::string_view text, std::vector<std::string>& out) {
        const ParsedObservation& obs = st_.parsed_observation;
        double dt = 0.0;
        deltat(st_.core.delta_t, obs.jd, obs.jd_fraction, DeltaTDirection::UtToTt, dt, fr_tt_);
        jd_ = obs.jd;
        const double fr_ut = obs.jd_fraction;
        // The geocentric Sun at the TT date and the observer at the same instant.
        ZEL_TRY(
            reade403(st_.core.de, st_.core.de_copies, st_.core.data_paths, static_cast<double>(jd_), fr_tt_ * 86400.0));
        const State9& s9 = st_.core.de.result;
        for (std::size_t i = 0; i < 6; ++i) sun_[i] = s9[i];
        const ObserverSite& site = st_.core.observer_site;
        observer_ = obsvec_j2000(jd_, fr_tt_, fr_ut, site.longitude, site.rho_cos_phi, site.rho_sin_phi);
        o1_ = obs.angle1_rad;
        o2_ = obs.angle2_rad;
        text_ = text;
        out_ = &out;
        accepted_ = 0;
        if (use_sky_) {
            sky_obs_.t = static_cast<double>(jd_) + fr_tt_;
            sky_obs_.sun = sun_;
            sky_obs_.o[0] = std::cos(o2_) * std::cos(o1_);
            sky_obs_.o[1] = std::cos(o2_) * std::sin(o1_);
            sky_obs_.o[2] = std::sin(o2_);
            sky_obs_.c_norm =
                std::sqrt(observer_[0] * observer_[0] + observer_[1] * observer_[1] + observer_[2] * observer_[2]);
            sky_obs_.cos_s = cos_s_;
            sky_obs_.sin_s = sin_s_;
        }

        // Candidates of the opposition files, year by year, each object once
        // (an object near the Earth's orbit can come to opposition twice in
        // the window).
        const OppositionWindow win = observation_window(obs.jd + obs.jd_fraction, o1_, sun_[0], sun_[1]);
        tested_.clear();
        auto scan = [&](int, double from, bool& past) -> Status {
            auto pos = opp_.find(from);
            if (!pos) return pos.status();
            if (!*pos) return ok_status();
            const OppositionYears::Position& p = **pos;
            for (std::size_t k = p.index; k < p.count; ++k) {
                auto rec = OppositionYears::record(p, k);
                if (!rec) return rec.status();
                const OppositionRecord& r = *rec;
                if (r.jd > win.last) {
                    past = true;
                    break;
                }
                if (in_special(r.number) || !tested_.insert(r.number).second) continue;
                ZEL_TRY(test(r.number, year_of_jd(r.jd)));
            }
            return ok_status();
        };
        ZEL_TRY(for_each_window_year(win, opp_.first_year(), opp_.last_year(), scan));
        // The special list.
        for (std::int32_t n : special_) ZEL_TRY(test(n, 0));

        if (accepted_ == 0) ZEL_TRY(write(id_not_found_record(text_)));
        return ok_status();
    }

private:
    // A place that is not a number: the elements (or the package files under
    // them) cannot be what they say, and no comparison may pass it.
    static Status unplaceable(std::int32_t n, const ElementFlags& flags) {
        return error_status("The place of object " + std::to_string(n) + " cannot be computed from its " +
                            (flags.from_catalogue ? "catalogue" : "yearly") + " elements: it is not a number.");
    }

    bool in_special(std::int32_t n) const {
        const std::size_t k = static_cast<std::size_t>(ibsearch(special_, n));
        return k < special_.size() && special_[k] == n;
    }

    Status write(std::string rec) {
        out_->push_back(std::move(rec));
        return ok_status();
    }

    Status test(std::int32_t n, std::int32_t year) {
        const double jd_tt = static_cast<double>(jd_) + fr_tt_;
        OrbitElementsArray el{};
        ElementFlags flags;
        if (use_sky_) {
            // The set first: the bound holds for the orbit of this set only.
            ElementSet set{};
            ZEL_TRY(elmnt_set(st_.core, n, jd_tt, year, set, flags, data_dir_));
            if (flags.bad_number) return ok_status();
            if (sky_.outside(n, set, sky_obs_)) return ok_status();
            el = elements_at(set, jd_tt);
        } else {
            ZEL_TRY(elmnt(st_.core, n, jd_tt, year, el, flags, data_dir_));
        }
        if (flags.bad_number) return ok_status();  // no such object: nothing to compare
        StateVector p{};
        if (!twobody(0.0, jd_, fr_tt_, OrbitElements::from(el.data()), jd_, fr_tt_, kObliquityJ2000, p,
                     kepler_tolerance(comet_))
                 .ok())
            return ok_status();  // an orbit two-body motion cannot follow
        SkyDirection dir;
        lightt(p, sun_, observer_, dir, LightTimeRates::Kept);
        if (!std::isfinite(dir.ra) || !std::isfinite(dir.dec) || !std::isfinite(dir.dist)) return unplaceable(n, flags);
        // Declination, then right ascension times cos(observed Decl.).
        const double e = o2_ - dir.dec;
        if (!(std::fabs(e) <= tol_decl_)) return ok_status();
        const RaDifference ra = ra_difference(o1_, dir.ra);
        const double a = ra.size * std::cos(o2_);
        if (!(a <= tol_ra_)) return ok_status();

        auto phot = catphot(st_.core.catalogue, n);
        if (!phot) return phot.status();
        auto name = catname(st_.core.catalogue, n);
        if (!name) return name.status();
        const Vec3 pos{p[0], p[1], p[2]};
        const Vec3 sun_obs{sun_[0] + observer_[0], sun_[1] + observer_[1], sun_[2] + observer_[2]};
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
        ZEL_TRY(write(id_result_record(text_, accepted_ == 0, match)));
        ++accepted_;
        return ok_status();
    }

    LibraryState& st_;
    double tol_ra_, tol_decl_;
    const std::vector<std::int32_t>& special_;
    OppositionYears& opp_;
    std::string data_dir_;
    std::int32_t comet_ = 0, numbered_ = 0;
    bool use_sky_ = false;
    double cos_s_ = 1.0, sin_s_ = 0.0;
    CandidateSky sky_;
    CandidateSky::Observation sky_obs_;
    std::unordered_set<std::int32_t> tested_;  // objects of the line's window tested so far

    // The line under test.
    std::int32_t jd_ = 0;
    double fr_tt_ = 0.0;
    StateVector sun_{}, observer_{};
    double o1_ = 0.0, o2_ = 0.0;
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

// One line of a batch: its text and what its parse left, then its records
// or the failure of its test.
constexpr std::int32_t kOneThreadObjects = 1000000;

struct BatchLine {
    std::int32_t index = 0;  // record of "input.id1"
    std::string text;        // 80 columns
    ParsedObservation observation;
    ObserverSite site;
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

    IdWorker(double tol_ra, double tol_decl, const std::vector<std::int32_t>& special, bool use_sky,
             OppositionYears& opp) {
        ScopedLibraryState current(state);
        ready = prepare();
        if (ready) id.emplace(state, tol_ra, tol_decl, special, use_sky, opp);
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

// Tests the lines of a batch on `workers` threads, each taking the next
// line not yet taken. The workers are made at the first batch of a run.
Status run_batch(LibraryState& st, std::vector<std::unique_ptr<IdWorker>>& pool, int workers,
                 std::vector<BatchLine>& lines, double tol_ra, double tol_decl,
                 const std::vector<std::int32_t>& special, bool use_sky, OppositionYears& opp) {
    (void)st;
    const auto threads =
        static_cast<std::size_t>(std::min<std::size_t>(static_cast<std::size_t>(workers), lines.size()));
    while (pool.size() < threads) {
        pool.push_back(std::make_unique<IdWorker>(tol_ra, tol_decl, special, use_sky, opp));
        if (!pool.back()->ready) return pool.back()->ready;
    }
    std::atomic<std::size_t> next{0};
    auto work = [&](IdWorker& w) {
        ScopedLibraryState current(w.state);
        for (std::size_t k = next++; k < lines.size(); k = next++) {
            BatchLine& l = lines[k];
            w.state.parsed_observation = l.observation;
            w.state.core.observer_site = l.site;
            l.outcome = w.id->line(l.text, l.records);
        }
    };
    std::vector<std::thread> running;
    for (std::size_t t = 1; t < threads; ++t) running.emplace_back(work, std::ref(*pool[t]));
    work(*pool[0]);
    for (std::thread& t : running) t.join();
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
    Identification id(st, tol_ra, tol_decl, *special, use_sky, opp);

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
    std::vector<std::unique_ptr<IdWorker>> pool;
    const std::int32_t batch = workers > 1 ? 8 * workers : 1;
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
        if (workers > 1 && lines.size() > 1) {
            ZEL_TRY(run_batch(st, pool, workers, lines, tol_ra, tol_decl, *special, use_sky, opp));
        } else {
            for (BatchLine& l : lines) {
                st.parsed_observation = l.observation;
                st.core.observer_site = l.site;
                l.outcome = id.line(l.text, l.records);
            }
        }
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
