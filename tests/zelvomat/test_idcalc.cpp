// Identification of observations (IdCalc) against the bundled catalogue.
//
// The observation lines are made here from places computed independently of
// the library: the osculating element set of the object for the date, read
// from the package's yearly files "ad<YYYY>" / "el<YYYY>" by their
// documented layout, Kepler's equation solved here, the Earth from ERFA's
// eraEpv00, the observer from ERFA's sidereal time and IAU 1976/1980
// precession-nutation, TT from ERFA's leap seconds, light time iterated on
// the two-body orbit itself. The driver identifies with two-body positions
// from the same set, so the residuals it reports must be what the rounding
// of the lines leaves, to the accuracy of eraEpv00 and Delta T (a few
// hundredths of a second of arc).
//
// The element search (nearest set of the year, acceptance within 60 / count
// days, neighbouring years, the catalogue as the last resort) is followed
// here only where its answer is plain: the lines are dated where the object
// has sets in the year searched first and the nearest of them is accepted
// there, clearly nearer than any other. Such a set is accepted, so its
// records carry no "*".
//
// The small package is built once per build tree (tools/make_package.sh
// --small, under a lock); the full package (build/package) is used when it
// has been built.
#include <erfa.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/catalog.h"
#include "core/setpar.h"
#include "faults.h"
#include "io/errchan.h"
#include "small_package.h"
#include "support.h"
#include "tasks/idenew.h"
#include "tasks/libstate.h"
#include "zelvomat/zelvomat.h"

namespace fs = std::filesystem;
using namespace zelvomat;

namespace {

// ---- Packages -------------------------------------------------------------------

// The working directory of the tests' shared small package.
std::optional<fs::path> small_package_work() {
    const fs::path pkg = zeltest::small_package();
    if (pkg.empty()) return std::nullopt;
    return pkg / "work";
}

std::optional<fs::path> full_package() {
    const fs::path work = fs::path(ZELVO_BINARY_DIR) / "package" / "work";
    if (!fs::exists(work / "setpar")) return std::nullopt;
    return work;
}

// ---- The package read by its documented layout -------------------------------------

std::vector<std::uint8_t> bytes_of(const fs::path& p) { return zeltest::read_bytes(p); }
double f64(const std::vector<std::uint8_t>& b, std::size_t off) {
    double v;
    std::memcpy(&v, b.data() + off, 8);
    return v;
}
std::int32_t i32(const std::vector<std::uint8_t>& b, std::size_t off) {
    std::int32_t v;
    std::memcpy(&v, b.data() + off, 4);
    return v;
}

// An element set: epoch (JD, TT), then M, argument of perihelion, node,
// inclination (radians, ecliptic J2000), eccentricity, mean motion (rad/day).
struct Elements {
    double epoch = 0;
    std::array<double, 6> el{};
};

struct Package {
    fs::path work, data;
    double epoch = 0;
    std::int32_t objects = 0, numbered = 0;
    int first_year = 0, last_year = 0;
    std::vector<std::uint8_t> elements, names, h;
    std::map<std::int32_t, double> g;
    std::vector<std::int32_t> special;
    std::array<std::int32_t, 5> opp_counts{};
    std::array<std::int32_t, 5> element_values{};  // settings record 8
    // The yearly files, read when first needed: "ad<YYYY>" and "el<YYYY>".
    mutable std::map<int, std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>>> yearly;

    explicit Package(const fs::path& w) : work(w) {
        const auto set = bytes_of(w / "setpar");
        std::string dir(reinterpret_cast<const char*>(set.data()) + 240, 80);
        data = dir.substr(0, dir.find_last_not_of(' ') + 1);
        epoch = f64(set, 400);
        objects = i32(set, 408);
        numbered = i32(set, 412);
        std::int16_t fy, ly;
        std::memcpy(&fy, set.data() + 420, 2);
        std::memcpy(&ly, set.data() + 422, 2);
        first_year = fy, last_year = ly;
        for (int k = 0; k < 5; ++k)
            opp_counts[static_cast<std::size_t>(k)] = i32(set, 480 + 4 * static_cast<std::size_t>(k));
        for (std::size_t k = 0; k < 5; ++k) element_values[k] = i32(set, 560 + 4 * k);
        elements = bytes_of(data / "elitel");
        names = bytes_of(data / "elinm");
        h = bytes_of(data / "elih");
        const std::int32_t slopes = i32(set, 8 * 80 + 4);
        const auto gb = bytes_of(data / "elig");
        for (std::int32_t k = 0; k < slopes; ++k)
            g[i32(gb, 9 * static_cast<std::size_t>(k))] =
                std::atof(std::string(reinterpret_cast<const char*>(gb.data()) + 9 * k + 4, 5).c_str());
        const auto up = bytes_of(data / "uplist");
        for (std::size_t k = 0; k + 4 <= up.size() && k / 4 < static_cast<std::size_t>(i32(set, 416)); k += 4)
            special.push_back(i32(up, k));
    }
    bool present(std::int32_t n) const {
        for (std::size_t i = 0; i < 18; ++i) {
            const char c = static_cast<char>(names[18 * static_cast<std::size_t>(n - 1) + i]);
            if (c != ' ' && c != 0) return true;
        }
        return false;
    }
    std::array<double, 6> el(std::int32_t n) const {
        std::array<double, 6> e{};
        for (std::size_t i = 0; i < 6; ++i) e[i] = f64(elements, 48 * static_cast<std::size_t>(n - 1) + 8 * i);
        return e;
    }
    double abs_mag(std::int32_t n) const {
        return std::atof(std::string(reinterpret_cast<const char*>(h.data()) + 5 * (n - 1), 5).c_str());
    }
    double slope(std::int32_t n) const {
        auto it = g.find(n);
        return it == g.end() ? 0.15 : it->second;
    }
    Elements catalogue(std::int32_t n) const { return {epoch, el(n)}; }
    // The sets of object n in the yearly files of year y, ascending by epoch,
    // and the index (from 1) of the first of them in "el<YYYY>".
    std::vector<Elements> sets(std::int32_t n, int y, std::int32_t& first) const {
        auto it = yearly.find(y);
        if (it == yearly.end())
            it = yearly
                     .emplace(y, std::make_pair(bytes_of(data / ("ad" + std::to_string(y))),
                                                bytes_of(data / ("el" + std::to_string(y)))))
                     .first;
        const auto& [ad, el] = it->second;
        const std::int32_t v = i32(ad, 4 * static_cast<std::size_t>(n - 1));
        first = v / 1000;
        std::vector<Elements> out;
        if (first == 0) return out;
        for (std::int32_t s = first; s < first + v % 1000; ++s) {
            // Set s: record (s-1) div 40 + 1 of 2240 bytes, place (s-1) mod 40 of 56 bytes.
            const std::size_t at =
                static_cast<std::size_t>((s - 1) / 40) * 2240 + static_cast<std::size_t>((s - 1) % 40) * 56;
            Elements e;
            e.epoch = f64(el, at);
            for (std::size_t i = 0; i < 6; ++i) e.el[i] = f64(el, at + 8 + 8 * i);
            out.push_back(e);
        }
        return out;
    }
    // The set the element search takes for object n at TT date tt when
    // searching year y first, where that answer is plain: tt lies in the span
    // of the yearly files (from 70 days before 1 January of the year after
    // the first package year to 70 days after 1 January of the last one) and
    // in calendar year y; the object has sets in year y; the nearest of them
    // is accepted (within 60 / count days of tt, or the year's settings value
    // of record 8 lies below the index of the object's first set), with a
    // margin of 0.01 day to the acceptance limit and to any other set.
    // Otherwise none.
    std::optional<Elements> plain_set(std::int32_t n, int y, double tt) const {
        double j1, j2, z;
        eraCal2jd(first_year + 1, 1, 1, &z, &j1);
        eraCal2jd(last_year, 1, 1, &z, &j2);
        j1 += z, j2 += z;
        if (!(tt >= j1 - 70 + 0.01 && tt < j2 + 70 - 0.01)) return std::nullopt;
        int cy, cm, cd;
        double cf;
        eraJd2cal(tt, 0, &cy, &cm, &cd, &cf);
        if (cy != y || y < first_year || y > last_year) return std::nullopt;
        std::int32_t first = 0;
        const auto v = sets(n, y, first);
        if (v.empty()) return std::nullopt;
        std::size_t best = 0;
        for (std::size_t k = 1; k < v.size(); ++k)
            if (std::fabs(tt - v[k].epoch) < std::fabs(tt - v[best].epoch)) best = k;
        const double d = std::fabs(tt - v[best].epoch);
        for (std::size_t k = 0; k < v.size(); ++k)
            if (k != best && std::fabs(tt - v[k].epoch) < d + 0.01) return std::nullopt;
        const bool by_value = y - first_year < 5 && element_values[static_cast<std::size_t>(y - first_year)] < first;
        if (!by_value && d > 60.0 / static_cast<double>(v.size()) - 0.01) return std::nullopt;
        return v[best];
    }
    // Opposition dates of object n in year y (the opposition files).
    std::vector<double> oppositions(std::int32_t n, int y) const {
        std::vector<double> out;
        const auto b = bytes_of(data / ("opp" + std::to_string(y)));
        const std::size_t count = static_cast<std::size_t>(opp_counts[static_cast<std::size_t>(y - first_year)]);
        for (std::size_t k = 0; k < count; ++k)
            if (i32(b, 12 * k + 8) == n) out.push_back(f64(b, 12 * k));
        return out;
    }
};

// ---- Independent places ----------------------------------------------------------

constexpr double kK = 0.01720209895;
constexpr double kAuKm = 149597870.691;
constexpr double kCAuDay = 299792.458 * 86400.0 / kAuKm;
constexpr double kEps = 84381.448 / 206264.80624709636;

std::array<double, 3> helio(const Elements& s, double tt) {
    const std::array<double, 6>& e = s.el;
    const double a = std::pow(kK / e[5], 2.0 / 3.0);
    const double M = e[0] + e[5] * (tt - s.epoch);
    double E = M;
    for (int i = 0; i < 60; ++i) E -= (E - e[4] * std::sin(E) - M) / (1 - e[4] * std::cos(E));
    const double xp = a * (std::cos(E) - e[4]), yp = a * std::sqrt(1 - e[4] * e[4]) * std::sin(E);
    // Orbit plane to ecliptic: Rz(-node) Rx(-incl) Rz(-perihelion).
    double rot[3][3];
    eraIr(rot);
    eraRz(-e[1], rot);
    eraRx(-e[3], rot);
    eraRz(-e[2], rot);
    double orb[3] = {xp, yp, 0}, ecl[3];
    eraRxp(rot, orb, ecl);
    return {ecl[0], ecl[1] * std::cos(kEps) - ecl[2] * std::sin(kEps),
            ecl[1] * std::sin(kEps) + ecl[2] * std::cos(kEps)};
}

struct Place {
    double ra = 0, dec = 0, delta = 0, r = 0, phase = 0;
    double sun_ra = 0;  // geocentric Sun
};

// TT (two-part Julian date) of a UTC calendar instant.
void tt_of(int y, int m, int d, double dayfrac, double& t1, double& t2) {
    double u1, u2, a1, a2;
    eraDtf2d("UTC", y, m, d, 0, 0, 0, &u1, &u2);
    u2 += dayfrac;
    eraUtctai(u1, u2, &a1, &a2);
    eraTaitt(a1, a2, &t1, &t2);
}

// Astrometric place, at the UTC calendar instant, of an object moving on
// the two-body orbit of the element set e, seen from an observatory (east
// longitude, rho cos phi', rho sin phi' in Earth radii).
Place place(const Elements& e, int y, int m, int d, double dayfrac, double lon_deg, double rc, double rs) {
    double u1, u2, t1, t2;
    eraDtf2d("UTC", y, m, d, 0, 0, 0, &u1, &u2);
    u2 += dayfrac;
    tt_of(y, m, d, dayfrac, t1, t2);
    double pvh[2][3], pvb[2][3];
    eraEpv00(t1, t2, pvh, pvb);
    // Observer, true equator of date -> J2000 (UT1 taken as UTC).
    const double gast = eraGst94(u1, u2);
    const double re = 6378.137 / kAuKm;
    double obs_true[3] = {rc * re * std::cos(gast + lon_deg / 57.29577951308232),
                          rc * re * std::sin(gast + lon_deg / 57.29577951308232), rs * re};
    double np[3][3], obs[3];
    eraPnm80(t1, t2, np);
    eraTrxp(np, obs_true, obs);
    const double tt = t1 + t2;
    double tau = 0, rho[3] = {0, 0, 0}, dist = 0;
    std::array<double, 3> p{};
    for (int it = 0; it < 10; ++it) {
        p = helio(e, tt - tau);
        for (int i = 0; i < 3; ++i) rho[i] = p[static_cast<std::size_t>(i)] - pvh[0][i] - obs[i];
        dist = std::sqrt(rho[0] * rho[0] + rho[1] * rho[1] + rho[2] * rho[2]);
        tau = dist / kCAuDay;
    }
    Place pl;
    eraC2s(rho, &pl.ra, &pl.dec);
    pl.ra = eraAnp(pl.ra);
    pl.delta = dist;
    const auto p0 = helio(e, tt);
    pl.r = std::sqrt(p0[0] * p0[0] + p0[1] * p0[1] + p0[2] * p0[2]);
    const double sun[3] = {-pvh[0][0], -pvh[0][1], -pvh[0][2]};
    double sd;
    double sun_v[3] = {sun[0], sun[1], sun[2]};
    eraC2s(sun_v, &pl.sun_ra, &sd);
    pl.sun_ra = eraAnp(pl.sun_ra);
    // Phase angle Sun - object - observer.
    double to_sun[3] = {-p0[0], -p0[1], -p0[2]};
    double to_obs[3] = {-rho[0], -rho[1], -rho[2]};
    pl.phase = eraSepp(to_sun, to_obs);
    return pl;
}

// The IAU H, G magnitude (Bowell et al. 1989).
double hg_magnitude(double h, double g, double r, double delta, double phase) {
    const double t = std::tan(phase / 2);
    const double p1 = std::exp(-3.33 * std::pow(t, 0.63)), p2 = std::exp(-1.87 * std::pow(t, 1.22));
    return h + 5 * std::log10(r * delta) - 2.5 * std::log10((1 - g) * p1 + g * p2);
}

// ---- Observation lines --------------------------------------------------------------

struct Line {
    std::string text;
    double ra = 0, dec = 0;  // the angles as written (rounded), radians
};

// An 80-column line: designation (columns 1-13), UTC date, R.A. hh mm ss.ss,
// Decl. sdd mm ss.s, magnitude (0: none) and band, observatory code.
Line make_line(const std::string& desig, int y, int m, int d, double frac, double ra, double dec, double mag,
               const std::string& code) {
    char sign;
    int ih[4], id[4];
    eraA2tf(2, ra, &sign, ih);
    eraA2af(1, dec, &sign, id);
    char buf[128];
    std::string magtext = mag == 0.0 ? std::string(5, ' ') : [&] {
        char b[16];
        std::snprintf(b, sizeof b, "%4.1f ", mag);
        return std::string(b);
    }();
    std::snprintf(buf, sizeof buf,
                  "%-13.13s  %04d %02d %08.5f %02d %02d %02d.%02d %c%02d %02d %02d.%d          %5.5sV      %3.3s",
                  desig.c_str(), y, m, d + frac, ih[0], ih[1], ih[2], ih[3], sign, id[0], id[1], id[2], id[3],
                  magtext.c_str(), code.c_str());
    Line l;
    l.text = buf;
    l.text.resize(80, ' ');
    l.ra = ((ih[0] * 60.0 + ih[1]) * 60.0 + ih[2] + ih[3] / 100.0) * 15.0 / 206264.80624709636;
    l.dec = (sign == '-' ? -1 : 1) * ((id[0] * 60.0 + id[1]) * 60.0 + id[2] + id[3] / 10.0) / 206264.80624709636;
    return l;
}

void write_input(const std::vector<Line>& lines) {
    std::string s;
    for (const Line& l : lines) s += l.text + "\r\n";
    zeltest::write_text("input.id1", s);
}

std::vector<std::string> read_records(const fs::path& p) {
    const auto b = zeltest::read_bytes(p);
    std::vector<std::string> out;
    for (std::size_t k = 0; k + 82 <= b.size(); k += 82)
        out.emplace_back(reinterpret_cast<const char*>(b.data()) + k, 82);
    return out;
}

// A residual field as a signed number.
double field_value(const std::string& f) {
    std::string s;
    for (char c : f)
        if (c != ' ') s += c;
    return std::atof(s.c_str());
}

// Runs IdCalc in the package's working directory over every line.
struct IdRun {
    int status = 0, first = 1, last = 0;
    std::string error;
};
IdRun run_idcalc(int lines, double tol_ra, double tol_decl, ProgressCallback cb = nullptr, IdRun r = {}) {
    if (r.last == 0) r.last = lines;
    IdCalc(&r.status, &r.first, &r.last, tol_ra, tol_decl, cb);
    const int len = errmsg(nullptr, 0);
    r.error.assign(static_cast<std::size_t>(len), ' ');
    if (len > 0) errmsg(r.error.data(), len);
    return r;
}

// A working directory with the package's settings (the data directory is
// the package's own).
struct InPackage {
    explicit InPackage(const fs::path& work) { fs::copy_file(work / "setpar", dir.path() / "setpar"); }
    zeltest::ScopedWorkDir dir;
};

// Observatory 000 (Greenwich) as the package lists it.
constexpr double kLon000 = 0.0, kRc000 = 0.62411, kRs000 = 0.77873;

struct Case {
    std::int32_t number;
    Line line;
    Place place;
    char flag = ' ';  // column 30 of the record: "*" for elements not accepted
};

// The window of opposition dates that the distance of a line from the point
// opposite the Sun predicts for main-belt motion, worked out here from the
// rule with the independent places: x = R.A. minus the anti-solar R.A. in
// [-pi, pi], D = |x| in degrees; w = D - 5, 4D/3 - 25 beyond 60 degrees,
// 4D/4.63 within 45 degrees, times 1.1 above 130; w negative west of the
// point; half width h = (720/pi) 0.01/4.63 + 0.15 |w| days around jd + w.
struct Predicted {
    double x = 0;  // radians
    double w = 0, h = 0;
    bool holds(double jd, double opp) const { return std::fabs(opp - (jd + w)) <= h; }
};
Predicted predicted(double ra, double sun_ra) {
    Predicted p;
    p.x = std::remainder(ra - (sun_ra + M_PI), 2 * M_PI);
    const double deg = std::fabs(p.x) * 57.29577951308232;
    double w = deg - 5.0;
    if (deg > 60.0) w = 4.0 * deg / 3.0 - 25.0;
    if (deg < 45.0) w = 4.0 * deg / 4.63;
    if (w > 130.0) w *= 1.1;
    p.h = (720.0 / M_PI) * 0.01 / 4.63 + 0.15 * w;
    p.w = p.x < 0 ? -w : w;
    return p;
}

// Julian date of 1 January 0h of year y.
double new_year(int y) {
    double a, b;
    eraCal2jd(y, 1, 1, &a, &b);
    return a + b;
}

// Lines of present objects a few days from one of their oppositions, chosen
// so that the opposition lies well inside the predicted window (computed here
// from the independent anti-solar point) and that the element set of the
// date is plain (Package::plain_set with the opposition's year, which is
// also the calendar year of the date, so the special list's search, which
// starts from the date's year, takes the same set).
std::vector<Case> make_cases(const Package& pkg, std::size_t wanted, bool with_magnitude) {
    std::vector<Case> out;
    std::vector<std::int32_t> present;
    for (std::int32_t n = 1; n <= pkg.objects; ++n)
        if (pkg.present(n)) present.push_back(n);
    const std::size_t stride = std::max<std::size_t>(1, present.size() / (wanted * 3));
    const int year = pkg.first_year + 1;
    for (std::size_t k = 0; k < present.size() && out.size() < wanted; k += stride) {
        const std::int32_t n = present[k];
        const auto opp = pkg.oppositions(n, year);
        if (opp.empty()) continue;
        for (double off : {4.0, -4.0, 8.0, -8.0, 1.5, 15.0, -15.0}) {
            const double jd = std::floor(opp[0] + off - 0.5) + 0.5 + 0.1234;  // 02:57 UTC
            int y, m, d;
            double f, t1, t2;
            eraJd2cal(jd, 0, &y, &m, &d, &f);
            tt_of(y, m, d, 0.1234, t1, t2);
            const std::optional<Elements> set = pkg.plain_set(n, year, t1 + t2);
            if (!set) continue;
            const Place pl = place(*set, y, m, d, 0.1234, kLon000, kRc000, kRs000);
            const Predicted w = predicted(pl.ra, pl.sun_ra);
            if (!(std::fabs(opp[0] - (jd + w.w)) < w.h - 0.1)) continue;
            const double mag =
                with_magnitude
                    ? std::round((hg_magnitude(pkg.abs_mag(n), pkg.slope(n), pl.r, pl.delta, pl.phase) + 0.3) * 10) / 10
                    : 0.0;
            char desig[16];
            std::snprintf(desig, sizeof desig, "     T%06d", n % 1000000);
            // The set of the date is accepted: no "*".
            out.push_back({n, make_line(desig, y, m, d, 0.1234, pl.ra, pl.dec, mag, "000"), pl, ' '});
            break;
        }
    }
    return out;
}

bool in_special(const Package& pkg, std::int32_t n) {
    return std::find(pkg.special.begin(), pkg.special.end(), n) != pkg.special.end();
}

// Every opposition of object n in the package's files.
std::vector<double> all_oppositions(const Package& pkg, std::int32_t n) {
    std::vector<double> out;
    for (int y = pkg.first_year; y <= pkg.last_year; ++y)
        for (double o : pkg.oppositions(n, y)) out.push_back(o);
    return out;
}

// A line of object n at the UTC date jd (the day fraction 0.1234, as the
// other cases), its place from the element set e.
Case line_case(std::int32_t n, double jd, const Elements& e, char flag, const char* prefix) {
    int y, m, d;
    double f;
    eraJd2cal(jd, 0, &y, &m, &d, &f);
    const Place pl = place(e, y, m, d, 0.1234, kLon000, kRc000, kRs000);
    char desig[16];
    std::snprintf(desig, sizeof desig, "     %s%06d", prefix, n % 1000000);
    return {n, make_line(desig, y, m, d, 0.1234, pl.ra, pl.dec, 0.0, "000"), pl, flag};
}

// The line of object n at jd (a date at 0.1234 of its day) when its element
// set there is plain (Package::plain_set with the year y); else none.
std::optional<Case> plain_case(const Package& pkg, std::int32_t n, int year, double jd, const char* prefix) {
    int y, m, d;
    double f, t1, t2;
    eraJd2cal(jd, 0, &y, &m, &d, &f);
    tt_of(y, m, d, 0.1234, t1, t2);
    const std::optional<Elements> set = pkg.plain_set(n, year, t1 + t2);
    if (!set) return std::nullopt;
    return line_case(n, jd, *set, ' ', prefix);
}

// Lines of present objects (not in the special list) within 60 degrees of
// the point opposite the Sun in R.A., whose opposition lies outside the
// predicted window by 0.2 day or more while no other opposition of the
// object lies in it: the predicted window alone cannot find them. The
// opposition lies within 2h - 0.2 day of the window's centre. Dates and
// element sets as in make_cases (the opposition's year is the line's).
std::vector<Case> cases_outside_prediction(const Package& pkg, std::size_t wanted) {
    std::vector<Case> out;
    for (std::int32_t n = 1; n <= pkg.objects && out.size() < wanted; ++n) {
        if (!pkg.present(n) || in_special(pkg, n)) continue;
        const std::vector<double> every = all_oppositions(pkg, n);
        for (int year = pkg.first_year + 1; year <= pkg.last_year && out.size() < wanted; ++year) {
            bool taken = false;
            for (double opp : pkg.oppositions(n, year)) {
                for (int off = -60; off <= 60 && !taken; ++off) {
                    const double jd = std::floor(opp + off - 0.5) + 0.5 + 0.1234;
                    int y, m, d;
                    double f, t1, t2;
                    eraJd2cal(jd, 0, &y, &m, &d, &f);
                    tt_of(y, m, d, 0.1234, t1, t2);
                    const std::optional<Elements> set = pkg.plain_set(n, year, t1 + t2);
                    if (!set) continue;
                    const Case c = line_case(n, jd, *set, ' ', "W");
                    const Predicted w = predicted(c.place.ra, c.place.sun_ra);
                    if (std::fabs(w.x) > M_PI / 3) continue;
                    const double miss = std::fabs(opp - (jd + w.w));
                    if (miss < w.h + 0.2 || miss > 2 * w.h - 0.2) continue;
                    if (std::any_of(every.begin(), every.end(), [&](double o) { return w.holds(jd, o); })) continue;
                    out.push_back(c);
                    taken = true;
                }
                if (taken) break;
            }
            if (taken) break;
        }
    }
    return out;
}

// Lines in the first months of a package year, west of the point opposite
// the Sun, of objects whose opposition early in that year lies inside the
// predicted window (0.05 day or more from its ends), the window beginning
// in the year before: after the last opposition that the year before lists,
// or before the first package year. Element sets: plain ones of the year
// (make_cases), or in the first package year, before the yearly files, the
// catalogue elements ("*").
std::vector<Case> cases_across_new_year(const Package& pkg) {
    std::vector<Case> out;
    for (int year = pkg.first_year; year <= pkg.last_year; ++year) {
        double last_before = -1e300;  // the last opposition listed in the year before
        if (year > pkg.first_year) {
            const auto b = bytes_of(pkg.data / ("opp" + std::to_string(year - 1)));
            const std::size_t count =
                static_cast<std::size_t>(pkg.opp_counts[static_cast<std::size_t>(year - 1 - pkg.first_year)]);
            if (count > 0) last_before = f64(b, 12 * (count - 1));
        }
        const double jan1 = new_year(year);
        bool taken = false;
        for (std::int32_t n = 1; n <= pkg.objects && !taken; ++n) {
            if (!pkg.present(n) || in_special(pkg, n)) continue;
            for (double opp : pkg.oppositions(n, year)) {
                if (opp > jan1 + 40.0) break;
                for (int off = 1; off <= 120 && !taken; ++off) {
                    const double jd = std::floor(opp + off - 0.5) + 0.5 + 0.1234;
                    int y, m, d;
                    double f, t1, t2;
                    eraJd2cal(jd, 0, &y, &m, &d, &f);
                    if (y != year) continue;
                    tt_of(y, m, d, 0.1234, t1, t2);
                    std::optional<Elements> set;
                    char flag = ' ';
                    if (year == pkg.first_year) {
                        if (t1 + t2 < new_year(year + 1) - 70.0 - 0.01) set = pkg.catalogue(n), flag = '*';
                    } else {
                        set = pkg.plain_set(n, year, t1 + t2);
                    }
                    if (!set) continue;
                    const Case c = line_case(n, jd, *set, flag, "Y");
                    const Predicted w = predicted(c.place.ra, c.place.sun_ra);
                    const double begin = jd + w.w - w.h;
                    if (!(begin < jan1 && begin > last_before)) continue;
                    if (std::fabs(opp - (jd + w.w)) > w.h - 0.05) continue;
                    out.push_back(c);
                    taken = true;
                }
                if (taken) break;
            }
        }
    }
    return out;
}

// The records of one line (from k on: the first carries the line's columns
// 1-13, the others are blank there); k moves past them.
std::vector<std::string> records_of_line(const std::vector<std::string>& recs, std::size_t& k) {
    std::vector<std::string> mine{recs[k++]};
    while (k < recs.size() && recs[k].substr(0, 13) == std::string(13, ' ')) mine.push_back(recs[k++]);
    return mine;
}

// The record among a line's records that names the case's object (its
// number, or for an unnumbered object its readable designation), or none.
const std::string* record_of_object(const Package& pkg, const Case& c, const std::vector<std::string>& mine) {
    const std::string* hit = nullptr;
    char number[8];
    std::snprintf(number, sizeof number, "%6d", c.number);
    const std::string packed(reinterpret_cast<const char*>(pkg.names.data()) + 18 * (c.number - 1), 10);
    const DesignationText readable = desunpack(packed);
    for (const std::string& r : mine) {
        const bool same =
            c.number <= pkg.numbered
                ? r.substr(30, 6) == number
                : r.substr(30, 6) == "      " && r.substr(37, 10) == std::string(readable.data(), readable.size());
        if (same) hit = &r;
    }
    return hit;
}

// Checks that every case's line found its object with the residuals that
// the rounding of the written angles leaves.
void expect_identified(const Package& pkg, const std::vector<Case>& cases, const std::vector<std::string>& recs,
                       bool with_magnitude) {
    // The records of each line: the first has the line's columns 1-13.
    std::size_t k = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE("object " + std::to_string(c.number));
        ASSERT_LT(k, recs.size());
        ASSERT_EQ(recs[k].substr(0, 13), c.line.text.substr(0, 13));
        const std::vector<std::string> mine = records_of_line(recs, k);
        const std::string* hit = record_of_object(pkg, c, mine);
        ASSERT_NE(hit, nullptr) << "not identified: " << c.line.text << "\n" << mine[0];
        const std::string& r = *hit;
        EXPECT_EQ(r.substr(13, 16), c.line.text.substr(15, 16));
        EXPECT_EQ(r[29], c.flag);
        EXPECT_EQ(r.substr(77, 5), "000  ");
        // Expected residuals: written minus true place (R.A. times cos Decl.).
        const double dra = std::remainder(c.line.ra - c.place.ra, 2 * M_PI) * std::cos(c.line.dec) * 206264.806;
        const double ddec = (c.line.dec - c.place.dec) * 206264.806;
        // 0.05": the field's rounding; 0.05": eraEpv00, Delta T and UT1 - UTC.
        EXPECT_NEAR(field_value(r.substr(55, 7)), dra, 0.1) << r;
        EXPECT_NEAR(field_value(r.substr(63, 7)), ddec, 0.1) << r;
        if (with_magnitude) {
            // 0.3 added to the magnitude computed here, then rounded to 0.1.
            const double m =
                hg_magnitude(pkg.abs_mag(c.number), pkg.slope(c.number), c.place.r, c.place.delta, c.place.phase);
            const double written = field_value(c.line.text.substr(65, 4));
            EXPECT_NEAR(field_value(r.substr(71, 5)), written - m, 0.06) << r;
        } else {
            EXPECT_EQ(r.substr(71, 5), "   - ");
        }
    }
    EXPECT_EQ(k, recs.size());
}

// Runs IdCalc with tolerances of 5" over the lines of the cases in the
// working directory and checks that every line found its object.
void expect_lines_identified(const Package& pkg, const std::vector<Case>& cases, bool with_magnitude) {
    std::vector<Line> lines;
    for (const Case& c : cases) lines.push_back(c.line);
    write_input(lines);
    const IdRun r = run_idcalc(static_cast<int>(lines.size()), 5.0, 5.0);
    ASSERT_EQ(r.error, "");
    const auto recs = read_records("result.id4");
    EXPECT_EQ(r.status, static_cast<int>(recs.size()));
    expect_identified(pkg, cases, recs, with_magnitude);
}

void identify_catalogue(const fs::path& work, std::size_t wanted) {
    const Package pkg(work);
    const auto cases = make_cases(pkg, wanted, true);
    ASSERT_GE(cases.size(), std::min<std::size_t>(wanted, 8));
    InPackage in(work);
    expect_lines_identified(pkg, cases, true);
}

class IdCalcPackage : public ::testing::Test {
protected:
    static void SetUpTestSuite() { work_ = small_package_work(); }
    void SetUp() override {
        if (!work_) GTEST_SKIP() << "the small package could not be built (see package-small/build.log)";
    }
    static std::optional<fs::path> work_;
    // A fresh library for each test, current on its thread for the exports.
    LibraryState lib_;
    ScopedLibraryState current_{lib_};
};
std::optional<fs::path> IdCalcPackage::work_;

}  // namespace

// ---- Window, residual fields, records --------------------------------------------------

TEST(IdCalcWindow, FollowsTheDistanceFromTheAntiSolarPoint) {
    // The Sun at R.A. 180 degrees: the anti-solar point at 0. w and h are
    // the prediction of the rule (hand-computed); the window searched
    // reaches 2h either side of jd + w.
    struct C {
        double ra_deg, w, h;
    } cases[] = {
        {10.0, 8.639, 1.791},    // east, d < pi/4: 4 D / 4.63
        {-50.0, -45.0, 7.245},   // west, between pi/4 and pi/3: D - 5
        {90.0, 95.0, 14.745},    // d > pi/3: 4 D / 3 - 25
        {120.0, 148.5, 22.770},  // above 130: times 1.1
        {0.0, 0.0, 0.495},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.ra_deg);
        const double ra = std::fmod(c.ra_deg + 360.0, 360.0) / 57.29577951308232;
        const OppositionWindow w = observation_window(2460000.5, ra, -1.0, 0.0);
        EXPECT_NEAR(w.shift, c.w, 5e-4);  // days; the values above have 3 decimals
        EXPECT_NEAR(w.half, c.h, 5e-4);
        EXPECT_NEAR(w.search, 2.0 * c.h, 1e-3);
        EXPECT_NEAR(w.first, 2460000.5 + c.w - 2.0 * c.h, 2e-3);
        EXPECT_NEAR(w.last, 2460000.5 + c.w + 2.0 * c.h, 2e-3);
    }
}

TEST(IdCalcResiduals, RightAscensionAcrossZeroTakesTheShorterArc) {
    const double s = 15.0 / 206264.80624709636;               // one second of time
    RaDifference d = ra_difference(1 * s, 2 * M_PI - 1 * s);  // 0h00m01s against 23h59m59s
    EXPECT_NEAR(d.size, 2 * s, 1e-15);
    EXPECT_FALSE(d.negative);
    d = ra_difference(2 * M_PI - 1 * s, 1 * s);
    EXPECT_NEAR(d.size, 2 * s, 1e-15);
    EXPECT_TRUE(d.negative);
    d = ra_difference(1.0, 1.0 + s);
    EXPECT_TRUE(d.negative);
    EXPECT_FALSE(ra_difference(1.0, 1.0).negative);  // zero is "+"
}

TEST(IdCalcResiduals, FieldForms) {
    struct C {
        double v;
        bool neg;
        const char* want;
    } cases[] = {
        {12.34, false, "  +12.3"}, {12.34, true, "  -12.3"},    {0.5, true, "   -0.5"},       {0.04, true, "    0.0"},
        {9999.9, true, "-9999.9"}, {10000.0, false, "*******"}, {123456.0, false, "*******"},
    };
    for (const C& c : cases) EXPECT_EQ(residual_field(c.v, c.neg), c.want) << c.v;
    struct M {
        bool known;
        double v;
        const char* want;
    } mags[] = {
        {false, 1.0, "   - "}, {true, 0.5, " +0.5"},   {true, -0.46, " -0.5"},
        {true, 12.3, "+12.3"}, {true, -0.04, "  0.0"}, {true, 2.0, " +2.0"},
    };
    for (const M& m : mags) EXPECT_EQ(magnitude_field(m.known, m.v), m.want) << m.v;
}

TEST(IdCalcRecords, LayoutOfMatchesAndNotFound) {
    const std::string line = "     K24A01A  C2025 03 15.12345 12 34 56.78 +12 34 56.7          18.2 V      000";
    IdMatch m;
    m.number = 433;
    m.numbered = true;
    m.accepted = false;
    m.name = "Eros and a long tail";
    m.ra_arcsec = 1.24;
    m.decl_arcsec = 0.3;
    m.decl_negative = true;
    m.magnitude_known = true;
    m.magnitude_residual = -0.3;
    m.band = '*';
    m.observatory = 1005;
    std::string r = id_result_record(line, true, m);
    ASSERT_EQ(r.size(), 82u);
    EXPECT_EQ(r.substr(0, 13), line.substr(0, 13));
    EXPECT_EQ(r.substr(13, 16), "2025 03 15.12345");
    EXPECT_EQ(r.substr(29, 8), "*   433 ");
    EXPECT_EQ(r.substr(37, 17), "Eros and a long t");
    EXPECT_EQ(r.substr(54, 28), "    +1.2    -0.3  -0.3*A05  ");
    m.numbered = false;
    m.accepted = true;
    r = id_result_record(line, false, m);
    EXPECT_EQ(r.substr(0, 13), std::string(13, ' '));
    EXPECT_EQ(r.substr(29, 8), std::string(8, ' '));
    r = id_not_found_record(line);
    EXPECT_EQ(r, line.substr(0, 13) + std::string(24, ' ') + "Object not found" + std::string(29, ' '));
}

// ---- Runs on the package ------------------------------------------------------------------

TEST_F(IdCalcPackage, IdentifiesCatalogueObjectsWithSmallResiduals) { identify_catalogue(*work_, 12); }

TEST(IdCalcFullPackage, IdentifiesCatalogueObjectsWithSmallResiduals) {
    const auto work = full_package();
    if (!work) GTEST_SKIP() << "no full package in the build tree (tools/make_package.sh build build/package)";
    LibraryState lib;
    ScopedLibraryState current(lib);
    identify_catalogue(*work, 40);
}

TEST_F(IdCalcPackage, FindsObjectsWhoseOppositionLiesOutsideThePredictedWindow) {
    // Objects nearer or farther than a typical main-belt object (the distant
    // ones above all) stand near the observed place days before or after the
    // window that their distance from the anti-solar point predicts; the
    // window searched, twice as wide, finds them.
    const Package pkg(*work_);
    const auto cases = cases_outside_prediction(pkg, 6);
    ASSERT_GE(cases.size(), 2u);
    InPackage in(*work_);
    expect_lines_identified(pkg, cases, false);
}

TEST_F(IdCalcPackage, WindowAcrossNewYearGoesOnInTheNextYearsFile) {
    // The window begins in the year before the observation, where no
    // opposition is left (or no file exists), and holds the object's
    // opposition of early January.
    const Package pkg(*work_);
    const auto cases = cases_across_new_year(pkg);
    ASSERT_GE(cases.size(), 2u);
    bool before_first_year = false;
    for (const Case& c : cases) before_first_year |= c.flag == '*';
    EXPECT_TRUE(before_first_year);
    InPackage in(*work_);
    expect_lines_identified(pkg, cases, false);
}

TEST(IdCalcFullPackage, RandomLinesNearOppositionFindTheirObjects) {
    // 300 lines of random objects (present, not in the special list) at
    // random dates of the yearly files' span, within 60 degrees of the point
    // opposite the Sun in R.A., each the object's own place. The element set
    // is plain (make_cases) and every opposition of the object within 200
    // days of the line lies in the line's year, so that the driver takes the
    // set used here. With the opposition files in right ascension every
    // line's object has an opposition within 2h of the predicted date (the
    // half width searched), and every line finds its object with the
    // residuals of the rounding. The count of lines whose object has no
    // opposition within h (the prediction alone), mostly distant objects,
    // is shown.
    const auto work = full_package();
    if (!work) GTEST_SKIP() << "no full package in the build tree (tools/make_package.sh build build/package)";
    LibraryState lib;
    ScopedLibraryState current(lib);
    const Package pkg(*work);
    std::vector<std::int32_t> present;
    for (std::int32_t n = 1; n <= pkg.objects; ++n)
        if (pkg.present(n) && !in_special(pkg, n)) present.push_back(n);
    ASSERT_FALSE(present.empty());
    std::uint64_t seed = 20250320;
    auto uniform = [&seed] {  // splitmix64, [0, 1)
        std::uint64_t z = (seed += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<double>((z ^ (z >> 31)) >> 11) * 0x1.0p-53;
    };
    const double from = new_year(pkg.first_year + 1) - 69.0, to = new_year(pkg.last_year) + 69.0;
    std::vector<Case> cases;
    int outside_predicted = 0, outside_searched = 0;
    for (int tries = 0; tries < 100000 && cases.size() < 300; ++tries) {
        const std::int32_t n = present[static_cast<std::size_t>(uniform() * static_cast<double>(present.size()))];
        const double jd = std::floor(from + uniform() * (to - from)) + 0.5 + 0.1234;
        int y, m, d;
        double f, t1, t2;
        eraJd2cal(jd, 0, &y, &m, &d, &f);
        const std::vector<double> every = all_oppositions(pkg, n);
        if (std::any_of(every.begin(), every.end(), [&](double o) {
                int oy, om, od;
                double of;
                eraJd2cal(o, 0, &oy, &om, &od, &of);
                return std::fabs(o - jd) < 200.0 && oy != y;
            }))
            continue;
        tt_of(y, m, d, 0.1234, t1, t2);
        const std::optional<Elements> set = pkg.plain_set(n, y, t1 + t2);
        if (!set) continue;
        const Case c = line_case(n, jd, *set, ' ', "R");
        const Predicted w = predicted(c.place.ra, c.place.sun_ra);
        if (std::fabs(w.x) > M_PI / 3) continue;
        cases.push_back(c);
        // The nearest opposition to the window's centre.
        double off = 1e300;
        for (double o : every) off = std::min(off, std::fabs(o - (jd + w.w)));
        if (off > w.h) ++outside_predicted;
        if (off > 2 * w.h - 0.1) ++outside_searched;
    }
    ASSERT_EQ(cases.size(), 300u);
    std::printf("[ sample   ] %zu lines: %d with no opposition within h of the predicted date\n", cases.size(),
                outside_predicted);
    EXPECT_EQ(outside_searched, 0) << "lines with no opposition within 2h - 0.1 day of the predicted date";
    InPackage in(*work);
    expect_lines_identified(pkg, cases, false);
}

// Every near-Earth object (perihelion within 1.3 AU) of a stand-in
// catalogue with the real catalogue's mix of classes (small_neo_package) is
// identified from a line at its place, wherever it stands: the special list
// holds each of them.
TEST(IdCalcNeoPackage, EveryNearEarthObjectIsIdentified) {
    const fs::path pkg_dir = zeltest::small_neo_package();
    if (pkg_dir.empty()) GTEST_SKIP() << "the stand-in package could not be built (see package-small-neo/build.log)";
    LibraryState lib;
    ScopedLibraryState current(lib);
    const Package pkg(pkg_dir / "work");
    std::vector<Case> cases;
    for (std::int32_t n = 1; n <= pkg.objects; ++n) {
        if (!pkg.present(n)) continue;
        const auto e = pkg.el(n);
        const double a = std::cbrt(0.01720209895 * 0.01720209895 / (e[5] * e[5]));  // AU, from n in rad/day
        if (a * (1.0 - e[4]) >= 1.3) continue;
        EXPECT_TRUE(in_special(pkg, n)) << "object " << n;
        // A date of the second package year where its set is plain, each
        // object at its own date.
        const int y = pkg.first_year + 1;
        for (int day = 0; day < 300; day += 7) {
            const double jd = new_year(y) + 20 + 11 * (n % 23) + day + 0.1234;
            int cy, cm, cd;
            double cf, t1, t2;
            eraJd2cal(jd, 0, &cy, &cm, &cd, &cf);
            tt_of(cy, cm, cd, 0.1234, t1, t2);
            if (const std::optional<Elements> set = pkg.plain_set(n, y, t1 + t2)) {
                cases.push_back(line_case(n, jd, *set, ' ', "N"));
                break;
            }
        }
    }
    ASSERT_EQ(cases.size(), 20u);  // numbers 1-20
    InPackage in(pkg_dir / "work");
    expect_lines_identified(pkg, cases, false);
}

TEST_F(IdCalcPackage, LineOfNoObjectIsNotFoundAndTheHeaderCarriesTheTolerances) {
    InPackage in(*work_);
    const Line far = make_line("     NOTHING", 2025, 6, 1, 0.5, 1.0, -1.45, 0.0, "000");
    write_input({far});
    const IdRun r = run_idcalc(1, 30.0, 20.5);
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.first, 1);
    const auto recs = read_records("result.id4");
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0], id_not_found_record(far.text));
    const auto hat = read_records("ide.hat");
    ASSERT_EQ(hat.size(), 7u);
    EXPECT_EQ(hat[5].substr(55, 6), "  30.0");
    EXPECT_EQ(hat[5].substr(63, 6), "  20.5");
}

namespace {
// The lines of the cases, each followed by lines at neighbouring places
// (20' and 2 degrees off) of the same date.
std::vector<Line> lines_and_neighbours(const std::vector<Case>& cases) {
    std::vector<Line> lines;
    for (const Case& c : cases) {
        lines.push_back(c.line);
        for (double off : {0.006, 0.035}) {
            const Line& l = c.line;
            lines.push_back(make_line(l.text.substr(0, 13), std::atoi(l.text.substr(15, 4).c_str()),
                                      std::atoi(l.text.substr(20, 2).c_str()), std::atoi(l.text.substr(23, 2).c_str()),
                                      0.1234, c.place.ra + off, c.place.dec - off, 0.0, "000"));
        }
    }
    return lines;
}

std::vector<std::pair<int, int>> g_progress;
int stop_after = 0;
int progress(int done, int total) {
    g_progress.emplace_back(done, total);
    return static_cast<int>(g_progress.size()) == stop_after ? 1 : 0;
}
}  // namespace

// Runs the lines of "input.id1" with the tolerance tol, the full test of
// every candidate on one thread, then through the shared sky on one and on
// three threads: the records must be the same. Returns the full test's.
std::vector<std::string> expect_sky_as_full_test(LibraryState& lib, int count, double tol) {
    lib.id_run.full_test = true;
    lib.id_run.threads = 1;
    IdRun r = run_idcalc(count, tol, tol);
    EXPECT_EQ(r.error, "");
    const auto full = read_records("result.id4");
    for (int threads : {1, 3}) {
        SCOPED_TRACE(threads);
        lib.id_run.full_test = false;
        lib.id_run.threads = threads;
        r = run_idcalc(count, tol, tol);
        EXPECT_EQ(r.error, "");
        EXPECT_EQ(read_records("result.id4"), full);
    }
    return full;
}

// The same on the whole bundled package: lines of 40 objects near their
// oppositions (each at its own date) and their neighbours.
TEST(IdCalcFullPackage, SharedSkyGivesTheRecordsOfTheFullTest) {
    const auto work = full_package();
    if (!work) GTEST_SKIP() << "no full package in the build tree (tools/make_package.sh build build/package)";
    LibraryState lib;
    ScopedLibraryState current(lib);
    const Package pkg(*work);
    std::vector<Case> cases;
    for (const Case& c : make_cases(pkg, 40, true))  // neighbours east of it stay below 24h
        if (c.place.ra < 2 * M_PI - 0.05) cases.push_back(c);
    ASSERT_GE(cases.size(), 30u);
    InPackage in(*work);
    const std::vector<Line> lines = lines_and_neighbours(cases);
    write_input(lines);
    for (double tol : {5.0, 1300.0}) {
        SCOPED_TRACE(tol);
        expect_sky_as_full_test(lib, static_cast<int>(lines.size()), tol);
    }
}

// The shared sky of a run gives the records of the full test of every
// candidate on the stand-in with near-Earth objects in number: the lines of
// every near-Earth object (each at its own date, so that the run has many
// groups of dates) and their neighbours, and two lines of the fastest of
// them on the sky 7.2 hours apart at its closest approach of the second
// package year, on one and on three threads, with narrow and wide
// tolerances. The fast object's lines find it.
TEST(IdCalcNeoPackage, SharedSkyGivesTheRecordsOfTheFullTest) {
    const fs::path pkg_dir = zeltest::small_neo_package();
    if (pkg_dir.empty()) GTEST_SKIP() << "the stand-in package could not be built (see package-small-neo/build.log)";
    LibraryState lib;
    ScopedLibraryState current(lib);
    const Package pkg(pkg_dir / "work");
    const int y = pkg.first_year + 1;
    std::vector<Case> cases;
    struct Fast {
        std::int32_t n = 0;
        double jd = 0.0, delta = 1e9;
    } fast;
    for (std::int32_t n = 1; n <= pkg.objects; ++n) {
        if (!pkg.present(n)) continue;
        const auto e = pkg.el(n);
        const double a = std::cbrt(0.01720209895 * 0.01720209895 / (e[5] * e[5]));
        if (a * (1.0 - e[4]) >= 1.3) continue;
        bool added = false;
        for (int day = 0; day < 330; day += 3) {
            const double jd = new_year(y) + 20 + 11 * (n % 23) + day + 0.1234;
            if (jd > new_year(y + 1) - 1.0) break;
            const std::optional<Case> c = plain_case(pkg, n, y, jd, "N");
            if (!c) continue;
            if (!added) cases.push_back(*c);
            added = true;
            if (c->place.delta < fast.delta) fast = {n, jd, c->place.delta};
        }
    }
    ASSERT_EQ(cases.size(), 20u);
    ASSERT_GT(fast.n, 0);
    // The fast object at 0.1234 and 0.4234 of its date (one set for both).
    int fy, fm, fd;
    double ff, t1, t2, u1, u2;
    eraJd2cal(fast.jd, 0, &fy, &fm, &fd, &ff);
    tt_of(fy, fm, fd, 0.1234, t1, t2);
    tt_of(fy, fm, fd, 0.4234, u1, u2);
    const std::optional<Elements> set = pkg.plain_set(fast.n, y, t1 + t2);
    ASSERT_TRUE(set);
    ASSERT_TRUE(pkg.plain_set(fast.n, y, u1 + u2));
    std::vector<Line> lines = lines_and_neighbours(cases);
    std::vector<Place> places;
    for (double f : {0.1234, 0.4234}) {
        places.push_back(place(*set, fy, fm, fd, f, kLon000, kRc000, kRs000));
        char desig[16];
        std::snprintf(desig, sizeof desig, "     F%06d", fast.n % 1000000);
        lines.push_back(make_line(desig, fy, fm, fd, f, places.back().ra, places.back().dec, 0.0, "000"));
    }
    const double moved =
        std::acos(std::sin(places[0].dec) * std::sin(places[1].dec) +
                  std::cos(places[0].dec) * std::cos(places[1].dec) * std::cos(places[0].ra - places[1].ra));
    std::printf("[ sample   ] fastest object %d: %.4f AU, %.2f degrees in 7.2 hours\n", fast.n, fast.delta,
                moved * 57.29577951308232);
    EXPECT_GT(moved, 0.1 / 57.29577951308232) << "the object should move fast";
    InPackage in(pkg_dir / "work");
    write_input(lines);
    for (double tol : {5.0, 1300.0, 7300.0}) {
        SCOPED_TRACE(tol);
        const auto full = expect_sky_as_full_test(lib, static_cast<int>(lines.size()), tol);
        // The fast object's two lines found it.
        char number[8];
        std::snprintf(number, sizeof number, "%6d", fast.n);
        for (std::size_t k = lines.size() - 2; k < lines.size(); ++k) {
            const std::string head = lines[k].text.substr(0, 13);
            bool found = false;
            for (std::size_t i = 0; i < full.size(); ++i) {
                if (full[i].substr(0, 13) != head) continue;
                for (std::size_t j = i; j < full.size() && (j == i || full[j].substr(0, 13) == std::string(13, ' '));
                     ++j)
                    found = found || full[j].substr(30, 6) == number;
            }
            EXPECT_TRUE(found) << "line " << k;
        }
    }
}

TEST_F(IdCalcPackage, StopsAndContinuesWithTheSameRecords) {
    const Package pkg(*work_);
    const auto cases = make_cases(pkg, 3, false);
    ASSERT_EQ(cases.size(), 3u);
    InPackage in(*work_);
    // Each line twice: the tolerances must not shrink from one line to the next.
    std::vector<Line> lines;
    for (const Case& c : cases) lines.insert(lines.end(), {c.line, c.line});
    write_input(lines);
    const int n = static_cast<int>(lines.size());
    g_progress.clear();
    stop_after = 0;
    const IdRun whole = run_idcalc(n, 5.0, 5.0, progress);
    ASSERT_EQ(whole.error, "");
    const auto all = read_records("result.id4");
    EXPECT_EQ(whole.status, static_cast<int>(all.size()));
    std::vector<Case> doubled;
    for (const Case& c : cases) doubled.insert(doubled.end(), {c, c});
    expect_identified(pkg, doubled, all, false);
    ASSERT_EQ(g_progress.size(), static_cast<std::size_t>(n));
    EXPECT_EQ(g_progress.back(), std::make_pair(n, n));

    // Stopped after the second line, then continued with the counters.
    g_progress.clear();
    stop_after = 2;
    IdRun r = run_idcalc(n, 5.0, 5.0, progress);
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.first, 3);
    EXPECT_LT(r.status, 0);
    EXPECT_EQ(-r.status, static_cast<int>(read_records("result.id4").size()));
    stop_after = 0;
    r = run_idcalc(n, 5.0, 5.0, progress, r);
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.status, whole.status);
    EXPECT_EQ(r.first, 3);  // a completed call leaves first as it was
    EXPECT_EQ(read_records("result.id4"), all);
    ASSERT_EQ(g_progress.size(), static_cast<std::size_t>(n));
    EXPECT_EQ(g_progress[2], std::make_pair(3, 9999));  // counted from the run's first line
    EXPECT_EQ(g_progress.back(), std::make_pair(n, 9999));
}

// The disk fills inside the records of a line (wide tolerances give each
// line several): the run stops at that line with none of its records, and the
// same call with the counters returned goes on to the file of an
// uninterrupted run.
TEST_F(IdCalcPackage, AFailedWriteStopsAtTheLineAndTheRunGoesOnFromIt) {
    const Package pkg(*work_);
    const auto cases = make_cases(pkg, 8, false);
    ASSERT_GE(cases.size(), 3u);
    InPackage in(*work_);
    constexpr double kWide = 20.0 * 3600.0;
    // The line that gives the most records goes last (the disk fills in its
    // last record, so records of the line already written must go too).
    std::size_t best = 0, most = 0;
    for (std::size_t k = 0; k < cases.size(); ++k) {
        write_input({cases[k].line});
        ASSERT_EQ(run_idcalc(1, kWide, kWide).error, "");
        if (const std::size_t got = read_records("result.id4").size(); got > most) {
            most = got;
            best = k;
        }
    }
    std::vector<Line> lines;
    for (std::size_t k = 0; k < cases.size() && lines.size() < 2; ++k)
        if (k != best) lines.push_back(cases[k].line);
    lines.push_back(cases[best].line);
    write_input(lines);
    const IdRun whole = run_idcalc(3, kWide, kWide);
    ASSERT_EQ(whole.error, "");
    const auto all = read_records("result.id4");
    // The last line's first record: the line's designation stands in it.
    std::size_t last_line = all.size();
    while (last_line > 0 && all[last_line - 1].substr(0, 13) == std::string(13, ' ')) --last_line;
    ASSERT_GT(last_line, 0u);
    --last_line;
    ASSERT_GE(all.size() - last_line, 1u);

    IdRun r;
    {
        zeltest::FullDisk disk("result.id4", static_cast<std::int64_t>(82 * (all.size() - 1) + 41));
        r = run_idcalc(3, kWide, kWide);
    }
    EXPECT_NE(r.error.find("result.id4"), std::string::npos) << r.error;
    EXPECT_EQ(r.first, 3);
    EXPECT_EQ(r.status, -static_cast<int>(last_line));
    EXPECT_EQ(fs::file_size("result.id4"), 82u * last_line);
    r = run_idcalc(3, kWide, kWide, nullptr, r);
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(read_records("result.id4"), all);
}

TEST_F(IdCalcPackage, UnreadableObservatoryCodeStopsTheRunWithAMessage) {
    const Package pkg(*work_);
    const auto cases = make_cases(pkg, 1, false);
    ASSERT_EQ(cases.size(), 1u);
    InPackage in(*work_);
    Line bad = cases[0].line;
    bad.text.replace(77, 3, "#12");
    write_input({cases[0].line, bad, cases[0].line});
    const IdRun r = run_idcalc(3, 5.0, 5.0);
    EXPECT_NE(r.error.find("Line 2"), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("#12"), std::string::npos) << r.error;
    const auto recs = read_records("result.id4");
    EXPECT_EQ(r.status, -static_cast<int>(recs.size()));
    EXPECT_EQ(r.first, 2);
    expect_identified(pkg, {cases[0]}, recs, false);
}

TEST_F(IdCalcPackage, MissingInputIsReportedAndChangesNothing) {
    InPackage in(*work_);
    const IdRun r = run_idcalc(3, 5.0, 5.0);
    EXPECT_NE(r.error, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.first, 1);
    EXPECT_FALSE(fs::exists("result.id4"));
}

TEST_F(IdCalcPackage, SharedSkyGivesTheRecordsOfTheFullTest) {
    // Lines over the sky and a night, with wide tolerances so that many
    // candidates come close: the bounds may only skip what the full test
    // rejects.
    const Package pkg(*work_);
    const auto cases = make_cases(pkg, 12, true);
    ASSERT_GE(cases.size(), 8u);
    InPackage in(*work_);
    const std::vector<Line> lines = lines_and_neighbours(cases);
    write_input(lines);
    const int n = static_cast<int>(lines.size());
    for (double tol : {5.0, 1300.0, 7300.0}) {
        SCOPED_TRACE(tol);
        lib_.id_run.full_test = true;
        IdRun r = run_idcalc(n, tol, tol);
        ASSERT_EQ(r.error, "");
        const auto full = read_records("result.id4");
        lib_.id_run.full_test = false;
        r = run_idcalc(n, tol, tol);
        ASSERT_EQ(r.error, "");
        EXPECT_EQ(read_records("result.id4"), full);
    }
}

// The lines of a run tested on several threads give the records, counters
// and messages of one thread: with narrow and wide tolerances, stopped by the
// callback in the middle of a batch and continued, and stopped at a line
// that does not parse with the lines before it written.
TEST_F(IdCalcPackage, LinesOnThreadsGiveTheRecordsOfOneThread) {
    const Package pkg(*work_);
    const auto cases = make_cases(pkg, 12, true);
    ASSERT_GE(cases.size(), 8u);
    InPackage in(*work_);
    std::vector<Line> lines = lines_and_neighbours(cases);
    write_input(lines);
    const int n = static_cast<int>(lines.size());
    struct Outcome {
        IdRun run;
        std::vector<std::string> records;
        std::vector<std::pair<int, int>> progress;
    };
    auto run_with = [&](int threads, double tol, int stop, IdRun from = {}) {
        lib_.id_run.threads = threads;
        g_progress.clear();
        stop_after = stop;
        Outcome o;
        o.run = run_idcalc(n, tol, tol, progress, from);
        o.records = read_records("result.id4");
        o.progress = g_progress;
        return o;
    };
    for (double tol : {5.0, 7300.0}) {
        SCOPED_TRACE(tol);
        const Outcome one = run_with(1, tol, 0);
        ASSERT_EQ(one.run.error, "");
        for (int threads : {2, 4, 7}) {
            SCOPED_TRACE(threads);
            const Outcome many = run_with(threads, tol, 0);
            EXPECT_EQ(many.run.error, "");
            EXPECT_EQ(many.run.status, one.run.status);
            EXPECT_EQ(many.records, one.records);
            EXPECT_EQ(many.progress, one.progress);
        }
        // Stopped after line 5, then continued.
        const Outcome one_stop = run_with(1, tol, 5);
        const Outcome many_stop = run_with(4, tol, 5);
        EXPECT_EQ(many_stop.run.status, one_stop.run.status);
        EXPECT_EQ(many_stop.run.first, 6);
        EXPECT_EQ(many_stop.records, one_stop.records);
        const Outcome rest = run_with(4, tol, 0, many_stop.run);
        EXPECT_EQ(rest.run.status, one.run.status);
        EXPECT_EQ(rest.records, one.records);
    }
    // A line that does not parse, in the middle of a batch.
    Line bad = lines[9];
    bad.text.replace(77, 3, "#12");
    lines[9] = bad;
    write_input(lines);
    const Outcome one = run_with(1, 5.0, 0);
    const Outcome many = run_with(4, 5.0, 0);
    EXPECT_NE(one.run.error.find("Line 10"), std::string::npos) << one.run.error;
    EXPECT_EQ(many.run.error, one.run.error);
    EXPECT_EQ(many.run.first, 10);
    EXPECT_EQ(many.run.status, one.run.status);
    EXPECT_EQ(many.records, one.records);
    EXPECT_EQ(many.progress, one.progress);
}

TEST_F(IdCalcPackage, ObjectInTheSpecialListAndTheWindowIsTestedOnce) {
    const Package src(*work_);
    const auto cases = make_cases(src, 1, false);
    ASSERT_EQ(cases.size(), 1u);
    // A copy of the data directory whose special list also holds the object.
    zeltest::ScopedWorkDir dir;
    const fs::path data = dir.path() / "el";
    fs::copy(src.data, data);
    std::vector<std::int32_t> list = src.special;
    list.push_back(cases[0].number);
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    std::vector<std::uint8_t> up(4 * list.size());
    for (std::size_t k = 0; k < list.size(); ++k) std::memcpy(up.data() + 4 * k, &list[k], 4);
    zeltest::write_bytes(data / "uplist", up);
    auto settings = decode_settings(zeltest::read_bytes(*work_ / "setpar"));
    ASSERT_TRUE(settings.ok());
    settings->data_dir = data.string() + "/";
    settings->ephemeris_path = data.string() + "/coorbp";
    settings->params.special = static_cast<std::int32_t>(list.size());
    auto bytes = encode_settings(*settings);
    ASSERT_TRUE(bytes.ok());
    zeltest::write_bytes("setpar", *bytes);
    write_input({cases[0].line});
    const IdRun r = run_idcalc(1, 5.0, 5.0);
    ASSERT_EQ(r.error, "");
    const auto recs = read_records("result.id4");
    EXPECT_EQ(recs.size(), 1u);
    expect_identified(src, cases, recs, false);
}

TEST_F(IdCalcPackage, AfterTheYearlySpanTheCatalogueElementsAreUsedAndMarked) {
    // 1 July of the last package year lies more than 70 days after 1 January
    // of that year: the element search takes the catalogue elements, which
    // are never accepted ("*"). The object of the special list is tested on
    // every line, whatever the opposition window.
    const Package pkg(*work_);
    ASSERT_FALSE(pkg.special.empty());
    const std::int32_t n = pkg.special[0];
    ASSERT_TRUE(pkg.present(n));
    const int y = pkg.last_year, m = 7, d = 1;
    const Place pl = place(pkg.catalogue(n), y, m, d, 0.1234, kLon000, kRc000, kRs000);
    char desig[16];
    std::snprintf(desig, sizeof desig, "     U%06d", n % 1000000);
    const Case c{n, make_line(desig, y, m, d, 0.1234, pl.ra, pl.dec, 0.0, "000"), pl, '*'};
    InPackage in(*work_);
    write_input({c.line});
    const IdRun r = run_idcalc(1, 5.0, 5.0);
    ASSERT_EQ(r.error, "");
    const auto recs = read_records("result.id4");
    EXPECT_EQ(r.status, static_cast<int>(recs.size()));
    expect_identified(pkg, {c}, recs, false);
}

TEST_F(IdCalcPackage, SharedSkyFollowsTheElementSetOfEachLine) {
    // Two lines of one object 0.6 day apart, either side of the midpoint
    // between two consecutive sets of its yearly file, so that each line
    // takes its own set. The later set is moved (M + 0.02 rad, about a
    // degree on the sky): a place extrapolated from the earlier set would
    // put the object far from the second line, which it must still find.
    const Package src(*work_);
    const auto cases = make_cases(src, 1, false);
    ASSERT_EQ(cases.size(), 1u);
    const std::int32_t n = cases[0].number;
    const int year = src.first_year + 1;
    std::int32_t first = 0;
    const auto sets = src.sets(n, year, first);
    ASSERT_GE(sets.size(), 2u);

    // A copy of the data directory with the object in the special list (so
    // that it is tested on every line) and the later set moved.
    zeltest::ScopedWorkDir dir;
    const fs::path data = dir.path() / "el";
    fs::copy(src.data, data);
    std::vector<std::int32_t> list = src.special;
    list.push_back(n);
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    std::vector<std::uint8_t> up(4 * list.size());
    for (std::size_t k = 0; k < list.size(); ++k) std::memcpy(up.data() + 4 * k, &list[k], 4);
    zeltest::write_bytes(data / "uplist", up);
    auto settings = decode_settings(zeltest::read_bytes(*work_ / "setpar"));
    ASSERT_TRUE(settings.ok());
    settings->data_dir = data.string() + "/";
    settings->ephemeris_path = data.string() + "/coorbp";
    settings->params.special = static_cast<std::int32_t>(list.size());
    auto bytes = encode_settings(*settings);
    ASSERT_TRUE(bytes.ok());
    zeltest::write_bytes("setpar", *bytes);

    // The pair of sets around the middle of the object's sets whose midpoint
    // gives plain choices on both sides.
    std::vector<Case> two;
    for (std::size_t k = sets.size() / 2 - 1; k + 1 < sets.size() && two.empty(); ++k) {
        const std::int32_t s = first + static_cast<std::int32_t>(k) + 1;  // the later set
        const std::size_t at =
            static_cast<std::size_t>((s - 1) / 40) * 2240 + static_cast<std::size_t>((s - 1) % 40) * 56;
        auto el = zeltest::read_bytes(data / ("el" + std::to_string(year)));
        const double moved = sets[k + 1].el[0] + 0.02;
        std::memcpy(el.data() + at + 8, &moved, 8);
        zeltest::write_bytes(data / ("el" + std::to_string(year)), el);
        const Package pkg(dir.path());
        const double mid = 0.5 * (sets[k].epoch + sets[k + 1].epoch);
        for (double off : {-0.3, 0.3}) {
            int y, m, d;
            double f, t1, t2;
            eraJd2cal(mid + off, 0, &y, &m, &d, &f);
            f = std::round(f * 1e5) / 1e5;  // as the line writes it
            tt_of(y, m, d, f, t1, t2);
            const std::optional<Elements> set = pkg.plain_set(n, year, t1 + t2);
            if (!set || set->epoch != sets[off < 0 ? k : k + 1].epoch) break;
            const Place pl = place(*set, y, m, d, f, kLon000, kRc000, kRs000);
            char desig[16];
            std::snprintf(desig, sizeof desig, "     S%06d", n % 1000000);
            two.push_back({n, make_line(desig, y, m, d, f, pl.ra, pl.dec, 0.0, "000"), pl, ' '});
        }
        if (two.size() < 2) {
            two.clear();
            const double back = sets[k + 1].el[0];
            std::memcpy(el.data() + at + 8, &back, 8);
            zeltest::write_bytes(data / ("el" + std::to_string(year)), el);
        }
    }
    ASSERT_EQ(two.size(), 2u) << "no pair of sets with plain choices";
    const Package pkg(dir.path());
    write_input({two[0].line, two[1].line});
    lib_.id_run.full_test = false;
    IdRun r = run_idcalc(2, 5.0, 5.0);
    ASSERT_EQ(r.error, "");
    const auto sky = read_records("result.id4");
    expect_identified(pkg, two, sky, false);
    lib_.id_run.full_test = true;
    r = run_idcalc(2, 5.0, 5.0);
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(read_records("result.id4"), sky);
}
