// contr_s1: one 80-column observation or plate line to the observation and
// observer areas (layout and rules in obsline.h).
//
// Calls: caljd (civil day), dmrad / dmsrad, obs_n, read_observatory, GEODESY
// (conversion 23, rectangular to geodetic, GRS 80).
#include <algorithm>
#include <cmath>
#include <string>

#include "core/datajd.h"
#include "core/utils.h"
#include "io/fields.h"
#include "tasks/geodesy.h"
#include "tasks/libstate.h"
#include "tasks/obsline.h"

namespace zelvomat {

Result<double> read_angle_part(std::string_view field, int decimals) {
    const bool point = field.find('.') != std::string_view::npos;
    if (!point && !field.empty() && field.back() == ' ' && !io::is_blank(field)) decimals = 0;
    return io::read_real(field, decimals);
}

namespace {

constexpr std::size_t kLineLength = 80;

class Fields {
public:
    explicit Fields(std::string_view line) : line_(line.substr(0, std::min(line.size(), kLineLength))) {}

    char at(std::size_t col) const { return col <= line_.size() ? line_[col - 1] : ' '; }

    // Columns first..last as a real with the given implied decimals.
    Result<double> real(std::size_t first, std::size_t last, int decimals, const char* what) const {
        const std::string f = io::column(line_, first, last - first + 1);
        auto v = io::read_real(f, decimals);
        if (!v) return bad(first, last, what, f);
        return *v;
    }
    // Columns first..last as the seconds or decimal minutes of an angle.
    Result<double> angle_part(std::size_t first, std::size_t last, int decimals, const char* what) const {
        const std::string f = io::column(line_, first, last - first + 1);
        auto v = read_angle_part(f, decimals);
        if (!v) return bad(first, last, what, f);
        return *v;
    }
    Result<int> whole(std::size_t first, std::size_t last, const char* what) const {
        const std::string f = io::column(line_, first, last - first + 1);
        auto v = io::read_int(f);
        if (!v || *v < -99999 || *v > 99999) return bad(first, last, what, f);
        return static_cast<int>(*v);
    }
    std::string text(std::size_t first, std::size_t width) const { return io::column(line_, first, width); }

private:
    static Status bad(std::size_t first, std::size_t last, const char* what, const std::string& f) {
        return error_status("The " + std::string(what) + " in columns " + std::to_string(first) + "-" +
                            std::to_string(last) + " of the observation line (\"" + f + "\") is not a number.");
    }
    std::string_view line_;
};

// The two angles (radians) in the layout the points of the line choose.
Status read_angles(const Fields& f, int system, double& angle1, double& angle2) {
    const char sign = f.at(45) == '-' ? '-' : '+';
    const bool hours = system == 1;
    const bool decimal_minutes = f.at(hours ? 38 : 39) == '.' && f.at(51) == '.';
    if (decimal_minutes) {
        auto d1 = hours ? f.whole(33, 34, "hours") : f.whole(33, 35, "degrees");
        if (!d1) return d1.status();
        auto m1 = hours ? f.angle_part(35, 40, 2, "minutes") : f.angle_part(36, 40, 1, "minutes");
        if (!m1) return m1.status();
        auto d2 = f.whole(46, 47, "degrees");
        if (!d2) return d2.status();
        auto m2 = f.angle_part(48, 52, 1, "arc minutes");
        if (!m2) return m2.status();
        angle1 = dmrad('+', *d1, *m1) * (hours ? 15.0 : 1.0);
        angle2 = dmrad(sign, *d2, *m2);
    } else {
        auto d1 = hours ? f.whole(33, 34, "hours") : f.whole(33, 35, "degrees");
        if (!d1) return d1.status();
        auto m1 = hours ? f.whole(35, 37, "minutes") : f.whole(36, 38, "arc minutes");
        if (!m1) return m1.status();
        auto s1 = hours ? f.angle_part(38, 43, 2, "seconds") : f.angle_part(39, 43, 1, "arc seconds");
        if (!s1) return s1.status();
        auto d2 = f.whole(46, 47, "degrees");
        if (!d2) return d2.status();
        auto m2 = f.whole(48, 50, "arc minutes");
        if (!m2) return m2.status();
        auto s2 = f.angle_part(51, 55, 1, "arc seconds");
        if (!s2) return s2.status();
        angle1 = dmsrad('+', *d1, *m1, *s1) * (hours ? 15.0 : 1.0);
        angle2 = dmsrad(sign, *d2, *m2, *s2);
    }
    return ok_status();
}

// Plate half sizes: R.A. in columns 59-63 (ddd.d, or a whole number in
// 59-61 when column 62 is blank), Decl. in 67-70 (dd.d, or a whole number in
// 67-68 when column 69 is blank). One missing size is made from the other in
// the proportion of 4 minutes of time (1 degree) of R.A. to 1 degree of Decl.
Status read_plate(const Fields& f, double& half_ra_min, double& half_dec_deg) {
    auto ra = f.at(62) == ' ' ? f.real(59, 61, 0, "plate size in R.A.") : f.real(59, 63, 1, "plate size in R.A.");
    if (!ra) return ra.status();
    auto dec = f.at(69) == ' ' ? f.real(67, 68, 0, "plate size in Decl.") : f.real(67, 70, 1, "plate size in Decl.");
    if (!dec) return dec.status();
    half_ra_min = *ra;
    half_dec_deg = *dec;
    if (half_ra_min == 0.0) half_ra_min = 4.0 * half_dec_deg;
    if (half_dec_deg == 0.0) half_dec_deg = half_ra_min / 4.0;
    return ok_status();
}

// The observer of an observatory record: longitude in radians, parallax
// constants in AU (kParallaxScale) and, when asked, the geodetic latitude of
// the point (rho cos phi' a, 0, rho sin phi' a) on the GRS 80 ellipsoid.
Result<ObserverSite> site_of(const ObservatoryRecord& r, bool with_latitude) {
    ObserverSite s;
    s.longitude = r.longitude_deg;
    s.rho_cos_phi = r.rho_cos_phi;
    s.rho_sin_phi = r.rho_sin_phi;
    if (is_geocentric_code(r.number)) return s;
    if (with_latitude) {
        if (r.rho_cos_phi == 0.0) {
            s.latitude = (r.rho_sin_phi < 0.0 ? -90.0 : 90.0) / kDegPerRad;
        } else {
            double height = 0.0, lat_arcsec = 0.0, lon_s = 0.0;
            GEODESY(r.rho_cos_phi * kGeoA, 0.0, r.rho_sin_phi * kGeoA, PointForm::Rectangular, PointForm::Geodetic,
                    height, lat_arcsec, lon_s);
            if (!std::isfinite(lat_arcsec))
                return error_status("The parallax constants of observatory " + n_obs(r.number) +
                                    " place it too near the Earth's centre for a geodetic latitude.");
            s.latitude = lat_arcsec / 3600.0 / kDegPerRad;
        }
    }
    s.longitude = r.longitude_deg / kDegPerRad;
    s.rho_cos_phi = r.rho_cos_phi * kParallaxScale;
    s.rho_sin_phi = r.rho_sin_phi * kParallaxScale;
    return s;
}

// The values of a line within what its fields can mean: the computations
// take the date to a whole day number, the angles and sizes to a place on the
// sky, and a number that a field holds only with an exponent (9E+300) would
// carry them out of range. The line check refuses such lines; a line that
// reaches the driver without it is refused here.
Status out_of_range(const char* what, const char* columns) {
    return error_status(std::string("The ") + what + " in columns " + columns +
                        " of the observation line is out of range.");
}

Status check_values(const ParsedObservation& o, int task, int system) {
    auto bad = out_of_range;
    const double turn = kTwoPi * (1.0 + 1e-12);
    if (!(o.angle1_rad >= 0.0 && o.angle1_rad <= turn))
        return bad(system == 1 ? "right ascension" : "first angle", "33-43");
    if (!(std::fabs(o.angle2_rad) <= kPi / 2.0 * (1.0 + 1e-12))) return bad("second angle", "45-55");
    if (task == kTaskPlate) {
        if (!(o.plate_half_ra_min >= 0.0 && o.plate_half_ra_min <= 300.0)) return bad("plate size in R.A.", "59-63");
        if (!(o.plate_half_dec_deg >= 0.0 && o.plate_half_dec_deg <= 75.0)) return bad("plate size in Decl.", "67-70");
    } else if (!(std::fabs(o.magnitude) < 100.0)) {
        return bad("magnitude", "66-69");
    }
    return ok_status();
}

}  // namespace

char band_flag(char c70, char c71) {
    const bool hundredths = c70 >= '0' && c70 <= '9';
    const char band = (c70 == ' ' || hundredths) ? c71 : c70;
    return (band == ' ' || band == 'V' || band == 'v') ? ' ' : '*';
}

Status contr_s1(LibraryState& st, const io::RecordFile& observatories, std::string_view line, int task, int system) {
    const Fields f(line);
    // Everything is read into copies first: a line that fails leaves the
    // shared storage and the cache as they were.
    ParsedObservation obs = st.parsed_observation;

    // Date: civil day (from midnight), UT.
    auto year = f.whole(16, 19, "year");
    if (!year) return year.status();
    auto month = f.whole(20, 22, "month");
    if (!month) return month.status();
    auto day = f.whole(23, 25, "day");
    if (!day) return day.status();
    auto fraction = f.real(26, 31, 5, "fraction of the day");
    if (!fraction) return fraction.status();
    if (!(*fraction >= 0.0 && *fraction <= 1.0)) return out_of_range("fraction of the day", "26-31");
    caljd(*year, *month, *day, *fraction, obs.jd, obs.jd_fraction, DayStart::Civil);

    ZEL_TRY(read_angles(f, system, obs.angle1_rad, obs.angle2_rad));

    if (task == kTaskPlate) {
        ZEL_TRY(read_plate(f, obs.plate_half_ra_min, obs.plate_half_dec_deg));
    } else if (task == kTaskIdentification || task == kTaskOc) {
        auto mag = f.real(66, 69, 1, "magnitude");
        if (!mag) return mag.status();
        obs.magnitude = *mag;
        obs.band_flag = band_flag(f.at(70), f.at(71));
    }

    ZEL_TRY(check_values(obs, task, system));

    // Observatory.
    const std::string code = f.text(78, 3);
    auto number = obs_n(code);
    if (!number) return error_status("The observatory code \"" + code + "\" of the observation line cannot be read.");
    if (*number < 0) return error_status("The observation line names no observatory (columns 78-80).");
    obs.observatory = *number;

    const bool with_latitude = task == kTaskOc;
    const ObservatoryListStamp stamp = observatory_records_stamp(st.observatory_writes, observatories.path());
    CachedObservatory& cache = st.cached_observatory;
    if (cache.number != *number || cache.with_latitude != with_latitude || !(cache.stamp == stamp)) {
        // The geocentre is the Earth's centre, whatever the list holds.
        auto rec = *number == kGeocentreCode ? geocentre_record() : read_observatory(observatories, *number);
        // A record the list holds but that cannot be used (its values are not
        // numbers) is reported as such, not as a code without a record.
        if (!rec && has_record_slot(observatories, *number)) return rec.status();
        if (!rec || rec->number != *number)
            return error_status("Observatory code " + code + " has no record in \"" + observatories.path() + "\".");
        auto site = site_of(*rec, with_latitude);
        if (!site) return site.status();
        cache.number = *number;
        cache.with_latitude = with_latitude;
        cache.stamp = stamp;
        cache.site = *site;
    }
    st.core.observer_site = cache.site;
    st.parsed_observation = obs;
    return ok_status();
}

}  // namespace zelvomat
