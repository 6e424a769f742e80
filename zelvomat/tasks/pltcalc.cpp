// PltCalc: the catalogued minor planets standing on one plate (method, units
// and files in pltcalc.h).
//
// Calls: in_par, catopen, catclose, catphot, ibsearch, load_delta_t, deltat,
// contr_s1, de_open, de_close, reade403, obsvec_j2000, lightt, elongph,
// anti_solar_ra, opposition_window, for_each_window_year, elmnt, twobody,
// magn, opfop, write_task_header, pltlines, srt_pl.
#include "tasks/pltcalc.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "core/apparent.h"
#include "core/catalog.h"
#include "core/datajd.h"
#include "core/elmnt.h"
#include "core/frames.h"
#include "core/magn.h"
#include "core/observer.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "core/twobody.h"
#include "core/utils.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "tasks/checks.h"
#include "tasks/idenew.h"
#include "tasks/libstate.h"
#include "tasks/obsfiles.h"
#include "tasks/obsline.h"
#include "tasks/oppos.h"
#include "tasks/oppwindow.h"
#include "tasks/taskhead.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

namespace {

constexpr double kMinWindowHalfRa = 0.02;  // radians: the least R.A. half size the window assumes
constexpr double kRadPerMinuteOfTime = 15.0 / 60.0 / kDegPerRad;

// Columns of the plate line copied into the heading lines.
constexpr std::size_t kCodeCol = 78, kCodeWidth = 3;
// Where the heading lines take them: the observatory code in columns 58-60
// of the second line, the limiting magnitude (F4.1) in columns 74-77 of the
// fourth.
constexpr std::size_t kHeadCodeLine = 2, kHeadCodeCol = 58;
constexpr std::size_t kHeadLimitLine = 4, kHeadLimitCol = 74;

// The special list: the first `count` numbers of "uplist"; a count above
// the list's capacity (kSpecialListCapacity) uses the first that many.
Result<std::vector<std::int32_t>> special_list(const DataPaths& paths, std::int32_t count) {
    if (count <= 0) return std::vector<std::int32_t>{};
    return read_special_list(paths.data_dir, std::min(count, kSpecialListCapacity));
}

bool in_list(std::span<const std::int32_t> list, std::int32_t n) {
    const std::int32_t below = ibsearch(list, n);
    return below < static_cast<std::int32_t>(list.size()) && list[static_cast<std::size_t>(below)] == n;
}

// What every candidate of the plate shares.
struct PlateSky {
    std::int32_t jd = 0;       // day number of the plate's date
    double fraction_tt = 0.0;  // its TT fraction
    StateVector sun{};         // the Sun relative to the geocentre (J2000)
    StateVector observer{};    // the observer to the geocentre (J2000)
    double ra0 = 0.0, dec0 = 0.0;
    double half_ra = 0.0, half_dec = 0.0;  // radians
    // The centre's unit vector and the largest distance from it of a place
    // on the plate (its corners: tan^2 = half_ra^2 + half_dec^2).
    double centre[3] = {0.0, 0.0, 1.0};
    double reach = 0.0;
    double mag_limit = 0.0;
    int comet_mode = 0;
    std::string data_dir;
};

// Tests object n (year: the year of its opposition record, 0 for the special
// list) and adds it to the batch when it stands on the plate.
Status test_object(CoreState& core, const PlateSky& sky, std::int32_t n, std::int32_t year, PlateBatch& batch,
                   bool& kept) {
    kept = false;
    OrbitElementsArray el{};
    ElementFlags flags;
    ZEL_TRY(elmnt(core, n, static_cast<double>(sky.jd) + sky.fraction_tt, year, el, flags, sky.data_dir));
    if (flags.bad_number) return ok_status();
    auto phot = catphot(core.catalogue, n);
    if (!phot) return phot.status();

    // Elements referred to the date: epoch and date are the plate's time. An
    // orbit two-body motion cannot follow (not elliptic) is passed over.
    StateVector p{};
    if (!twobody(0.0, sky.jd, sky.fraction_tt, OrbitElements::from(el.data()), sky.jd, sky.fraction_tt, kObliquityJ2000,
                 p, kepler_tolerance(sky.comet_mode))
             .ok())
        return ok_status();
    // Far from the plate: the direction of the object at the date lies
    // farther from the centre than the plate's corners by more than the
    // light time can move it (lightt moves the object back along its
    // velocity v by v x distance / c, the distance at most d / (1 - v/c) for
    // the distance d at the date: at most asin(k / (1 - k)), k = v / c).
    {
        const double u[3] = {p[0] + sky.sun[0] + sky.observer[0], p[1] + sky.sun[1] + sky.observer[1],
                             p[2] + sky.sun[2] + sky.observer[2]};
        const double d = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
        const double k = std::sqrt(p[3] * p[3] + p[4] * p[4] + p[5] * p[5]) * kLightDaysPerAu;
        if (d > 0.0 && std::isfinite(d) && k < 0.5) {
            const double limit = sky.reach + std::asin(k / (1.0 - k)) * 1.01 + 1e-9;
            const double cos_centre = (u[0] * sky.centre[0] + u[1] * sky.centre[1] + u[2] * sky.centre[2]) / d;
            if (limit < kPi / 2 && cos_centre < std::cos(limit)) return ok_status();
        }
    }
    SkyDirection dir;
    lightt(p, sky.sun, sky.observer, dir, LightTimeRates::Computed);
    if (!std::isfinite(dir.ra) || !std::isfinite(dir.dec) || !std::isfinite(dir.dist) || !std::isfinite(dir.ra_rate) ||
        !std::isfinite(dir.dec_rate))
        return error_status("The place of object " + std::to_string(n) +
                            " on the plate cannot be computed from its elements: it is not a number.");

    // Far from the centre: not on the plate (and no tangent-plane projection).
    double a = std::fabs(sky.ra0 - dir.ra);
    if (a > kPi) a = kTwoPi - a;
    if (a > kPi / 2 || std::fabs(sky.dec0 - dir.dec) > kPi / 2) return ok_status();
    double xi = 0.0, eta = 0.0;
    if (!Plxy(dir.ra, dir.dec, sky.ra0, sky.dec0, xi, eta)) return ok_status();
    if (std::fabs(xi) > sky.half_ra || std::fabs(eta) > sky.half_dec) return ok_status();

    // Magnitude: phase angle at the object between the Sun and the observer.
    const Vec3 pos{p[0], p[1], p[2]};
    const Vec3 sun_from_observer{sky.sun[0] + sky.observer[0], sky.sun[1] + sky.observer[1],
                                 sky.sun[2] + sky.observer[2]};
    const PhaseElongation pe = elongph(pos, sun_from_observer);
    const double r = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    const double mag = magn(r, dir.dist, pe.phase, phot->h, phot->g, sky.comet_mode != 0);
    if (std::isnan(mag))
        return error_status("The magnitude of object " + std::to_string(n) + " on the plate is not a number.");
    if (!(mag <= sky.mag_limit)) return ok_status();

    const auto i = static_cast<std::size_t>(batch.count++);
    batch.ra[i] = static_cast<float>(dir.ra);
    batch.decl[i] = static_cast<float>(dir.dec);
    batch.ra_rate[i] = static_cast<float>(dir.ra_rate);
    batch.decl_rate[i] = static_cast<float>(dir.dec_rate);
    batch.magnitude[i] = static_cast<float>(mag);
    batch.accepted[i] = flags.accepted;
    batch.number[i] = n;
    kept = true;
    return ok_status();
}

// Releases what a search holds, on every path: the Sun request of the
// ephemeris reader, the planetary ephemeris file and the catalogue files.
struct SearchFiles {
    explicit SearchFiles(CoreState& core) : core_(core) {}
    SearchFiles(const SearchFiles&) = delete;
    SearchFiles& operator=(const SearchFiles&) = delete;
    ~SearchFiles() {
        core_.de.flags[static_cast<std::size_t>(BodyCode::Sun) - 1] = StateLevel::None;
        de_close(core_.de, core_.de_copies);
        catclose(core_.catalogue);
    }
    CoreState& core_;
};

}  // namespace

bool Plxy(double ra, double decl, double ra0, double decl0, double& xi, double& eta) {
    const double sd = std::sin(decl), cd = std::cos(decl);
    const double sd0 = std::sin(decl0), cd0 = std::cos(decl0);
    const double da = ra - ra0;
    const double cda = std::cos(da);
    const double d = sd * sd0 + cd * cd0 * cda;
    if (!(d > 0.0)) return false;
    xi = cd * std::sin(da) / d;
    eta = (sd * cd0 - cd * sd0 * cda) / d;
    return true;
}

PlateWindow plate_window(double ra0, double anti_sun, double half_ra, double jd) {
    return opposition_window(ra0, anti_sun, std::max(half_ra, kMinWindowHalfRa), jd);
}

Result<std::int32_t> plate_search(LibraryState& st, std::string_view plate_line, double mag_limit) {
    if (std::isnan(mag_limit)) return error_status("The limiting magnitude of the plate search is not a number.");
    // Set-up: settings, catalogue, Delta T, special list, observatories, the
    // geocentric Sun from the planetary ephemeris file.
    SearchFiles held(st.core);
    st.cached_observatory = {};
    ZEL_TRY(in_par(st.core));
    ZEL_TRY(catopen(st.core.catalogue));
    const PackageInfo info = st.core.package;
    const DataPaths paths = st.core.data_paths;
    ZEL_TRY(load_delta_t(st.core.delta_t, data_file(st.core.data_paths, files::kDeltaT)));
    auto special = special_list(paths, info.special);
    if (!special) return special.status();
    auto obs_path = observatory_file(files::kObservatoryRecords);
    if (!obs_path) return obs_path.status();
    auto observatories = io::RecordFile::open(*obs_path, ObservatoryRecord::kLength, io::OpenMode::Read);
    if (!observatories)
        return error_status("The observatory list \"" + *obs_path + "\" cannot be opened: " + observatories.message());
    DeState& de = st.core.de;
    de.flags = {};
    de.flags[static_cast<std::size_t>(BodyCode::Sun) - 1] = StateLevel::Velocity;
    de.centre = BodyCode::Earth;
    ZEL_TRY(de_open(de, st.core.de_copies, st.core.data_paths));

    // The plate line.
    ZEL_TRY(contr_s1(st, *observatories, plate_line, kTaskPlate, 1));
    observatories->close();
    const ParsedObservation obs = st.parsed_observation;
    const ObserverSite site = st.core.observer_site;

    PlateSky sky;
    sky.ra0 = obs.angle1_rad;
    sky.dec0 = obs.angle2_rad;
    sky.half_ra = obs.plate_half_ra_min * kRadPerMinuteOfTime;
    sky.half_dec = obs.plate_half_dec_deg / kDegPerRad;
    sky.centre[0] = std::cos(sky.dec0) * std::cos(sky.ra0);
    sky.centre[1] = std::cos(sky.dec0) * std::sin(sky.ra0);
    sky.centre[2] = std::sin(sky.dec0);
    sky.reach = std::atan(std::hypot(sky.half_ra, sky.half_dec)) * (1.0 + 1e-9);
    sky.mag_limit = mag_limit;
    sky.comet_mode = st.core.catalogue.comet_mode;
    sky.data_dir = std::string(io::trim(paths.data_dir));

    // The header.
    auto description =
        plate_header_records(plate_line, obs.jd, obs.jd_fraction, obs.plate_half_ra_min, obs.plate_half_dec_deg);
    if (!description) return description.status();
    auto headings = read_heading_block(paths, TaskHeaderKind::Plate, 1);
    if (!headings) return headings.status();
    put_columns((*headings)[kHeadCodeLine - 1], kHeadCodeCol, io::column(plate_line, kCodeCol, kCodeWidth));
    put_columns((*headings)[kHeadLimitLine - 1], kHeadLimitCol, io::fmt_f(mag_limit, 4, 1));
    ZEL_TRY(write_task_header(TaskHeaderKind::Plate, *description, *headings));

    // The date on the dynamical scale, the geocentric Sun and the observer.
    double dt = 0.0;
    sky.jd = obs.jd;
    deltat(st.core.delta_t, obs.jd, obs.jd_fraction, DeltaTDirection::UtToTt, dt, sky.fraction_tt);
    ZEL_TRY(reade403(de, st.core.de_copies, st.core.data_paths, static_cast<double>(obs.jd) + sky.fraction_tt, 0.0));
    std::copy_n(de.result.begin(), 6, sky.sun.begin());
    sky.observer =
        obsvec_j2000(obs.jd, sky.fraction_tt, obs.jd_fraction, site.longitude, site.rho_cos_phi, site.rho_sin_phi);

    // The window of opposition dates.
    const double anti_sun = anti_solar_ra(sky.sun[0], sky.sun[1]);
    const PlateWindow win = plate_window(sky.ra0, anti_sun, sky.half_ra, static_cast<double>(obs.jd) + obs.jd_fraction);

    // The candidates and their test; the kept objects are formatted batch by
    // batch.
    PlateBatch batch;
    PlateScratch scratch;
    std::int32_t kept_count = 0;
    const std::int32_t numbered = st.core.catalogue.counts.numbered;
    auto test = [&](std::int32_t n, std::int32_t year) -> Status {
        bool kept = false;
        ZEL_TRY(test_object(st.core, sky, n, year, batch, kept));
        if (!kept) return ok_status();
        ++kept_count;
        if (batch.count == PlateBatch::kSize) {
            ZEL_TRY(pltlines(st.core.catalogue, batch, kept_count, numbered, scratch));
            batch.count = 0;
        }
        return ok_status();
    };

    // Objects with an opposition in the window, year file by year file (the
    // window may begin before the package years, or in a year whose last
    // opposition lies before it, and still reach into the next year).
    std::unordered_set<std::int32_t> tested;
    OppositionYears opp(paths.data_dir, paths.opp_counts, info.first_year, info.last_year);
    auto scan = [&](int year, double from, bool& past) -> Status {
        auto pos = opp.find(from);
        if (!pos) return pos.status();
        if (!*pos) return ok_status();
        for (std::size_t k = (*pos)->index; k < (*pos)->count && !past; ++k) {
            auto rec = OppositionYears::record(**pos, k);
            if (!rec) return rec.status();
            if (rec->jd > win.last) {
                past = true;
            } else if (!in_list(*special, rec->number) && tested.insert(rec->number).second) {
                ZEL_TRY(test(rec->number, year));
            }
        }
        return ok_status();
    };
    ZEL_TRY(for_each_window_year(win, info.first_year, info.last_year, scan));
    // Every object of the special list.
    for (std::int32_t n : *special) ZEL_TRY(test(n, 0));
    if (batch.count > 0) ZEL_TRY(pltlines(st.core.catalogue, batch, kept_count, numbered, scratch));

    // The result.
    const std::string result_name(files::kPlateResult), motion_name(files::kPlateMotion);
    if (kept_count == 0) {
        std::string text(PlateObjectLine::kTextWidth, ' ');
        put_columns(text, PlateObjectLine::kNoObjectsCol, PlateObjectLine::kNoObjects);
        auto result = io::RecordFile::open(result_name, PlateObjectLine::kLength, io::OpenMode::Update);
        if (!result) return result.status();
        ZEL_TRY(result->write(1, PlateObjectLine::encode(text)));
        return 0;
    }
    ZEL_TRY(srt_pl(scratch, result_name, motion_name));
    return kept_count;
}

}  // namespace zelvomat

extern "C" ZELVOMAT_API void PltCalc(const char* plateLine, int plateLine_len, double magLimit, int* found) {
    if (found != nullptr) *found = 0;
    std::int32_t n = 0;
    zelvomat::LibraryState& st = zelvomat::library_state();
    zelvomat::export_guard([&]() -> zelvomat::Status {
        auto r = zelvomat::plate_search(st, zelvomat::checks::caller_text(plateLine, plateLine_len), magLimit);
        if (!r) return r.status();
        n = *r;
        return zelvomat::ok_status();
    });
    if (found != nullptr) *found = n;
}
