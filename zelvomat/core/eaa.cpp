// The Earth from analytic mean elements (eaa), the Moon series and its file
// "moon.xyz", the heliocentric Moon (moonhel).
//
// Reference for the Earth's elements: J. L. Simon, P. Bretagnon, J. Chapront,
// M. Chapront-Touze, G. Francou, J. Laskar, "Numerical expressions for
// precession formulae and mean elements for the Moon and the planets",
// A&A 282, 663 (1994): mean longitude and longitude of perihelion of the
// Earth-Moon barycentre referred to the mean ecliptic and equinox of date.
#include <cmath>

#include "core/fallback.h"
#include "core/frames.h"
#include "core/setpar.h"
#include "io/files.h"
#include "io/recfile.h"

namespace zelvomat {

namespace {

double dms(double deg, double min, double sec) { return (deg * 3600.0 + min * 60.0 + sec) / kArcsecPerRad; }

}  // namespace

Status eaa(double jd, StateVector& state) {
    // Julian centuries from J2000.0.
    const double T = (jd - 2451545.0) / 36525.0;
    // Mean longitude and longitude of perihelion, ecliptic and equinox of date.
    const double L = dms(100, 27, 59.215) + (129602771.363 * T + 1.0932 * T * T + 0.0001 * T * T * T) / kArcsecPerRad;
    const double w = dms(102, 56, 14.453) + (6190.339 * T + 1.655 * T * T + 0.0014 * T * T * T) / kArcsecPerRad;
    OrbitElements el;
    el.mean_anomaly = L - w;
    el.arg_perihelion = w;
    el.node = 0.0;
    el.incl = 0.0;
    el.ecc = 0.016708617 - 4.204e-05 * T - 1.236e-07 * T * T;
    el.mean_motion = 3548.19280675 / kArcsecPerRad;  // sidereal, radians per day
    const double day = std::floor(jd);
    const auto jdi = static_cast<std::int32_t>(day);
    const double fr = jd - day;
    // The state in the ecliptic of date (the elements are at the date itself).
    StateVector ecl{};
    ZEL_TRY(twobody(1.0 / 332946.038, jdi, fr, el, jdi, fr, 0.0, ecl));
    // Ecliptic of date -> mean equator of date -> mean equator of J2000.
    // The velocity is the Keplerian one in the frame of the date; the frame's
    // own turning (50" a year) is left out, as the mean motion is sidereal.
    const PrecessionAngles pa = prec(0, day, fr, 2451545.0, 0.0);
    const Mat3 m = matmul(mapr(pa.zeta, pa.z, pa.theta), rotx(-obliq(jdi, fr)));
    const Vec3 r = matmul(m, Vec3{ecl[0], ecl[1], ecl[2]});
    const Vec3 v = matmul(m, Vec3{ecl[3], ecl[4], ecl[5]});
    state = {r[0], r[1], r[2], v[0], v[1], v[2]};
    return ok_status();
}

StateVector moon_series_state(const MoonSeries& s, double jd) {
    // Julian millennia from J2000.0.
    const double T = (jd - 2451545.0) / kDaysPerJulianMillennium;
    constexpr std::array<int, 4> first{0, moonxyz_file::kTermsX, moonxyz_file::kTermsX + moonxyz_file::kTermsY,
                                       moonxyz_file::kTerms};
    Vec3 pos{}, rate{};
    for (std::size_t c = 0; c < 3; ++c) {
        double p = 0.0, v = 0.0;
        for (int j = first[c]; j < first[c + 1]; ++j) {
            const auto u = static_cast<std::size_t>(j);
            const double arg = s.b[u] + s.c[u] * T;
            p += s.a[u] * std::cos(arg);
            v -= s.a[u] * s.c[u] * std::sin(arg);
        }
        pos[c] = p;
        rate[c] = v / kDaysPerJulianMillennium;
    }
    // Ecliptic of J2000 -> equator of J2000.
    const Mat3 m = rotx(-kObliquityJ2000);
    const Vec3 r = matmul(m, pos);
    const Vec3 v = matmul(m, rate);
    return {r[0], r[1], r[2], v[0], v[1], v[2]};
}

Status moonhel(const MoonSeries& s, double jd, StateVector& state) {
    if (!s.loaded) return error_status("the Moon series (" + std::string(files::kMoonSeries) + ") is not loaded");
    StateVector earth{};
    ZEL_TRY(eaa(jd, earth));
    const StateVector geo = moon_series_state(s, jd);
    for (std::size_t i = 0; i < 6; ++i) state[i] = earth[i] + geo[i];
    return ok_status();
}

std::vector<std::uint8_t> encode_moon_series(const MoonSeries& s) {
    using namespace moonxyz_file;
    std::vector<std::uint8_t> out(kRecordLength, 0);
    for (std::size_t j = 0; j < kTerms; ++j) {
        io::put_f64(out, j * kTermLength + kOffA, s.a[j]);
        io::put_f64(out, j * kTermLength + kOffB, s.b[j]);
        io::put_f64(out, j * kTermLength + kOffC, s.c[j]);
    }
    return out;
}

Result<MoonSeries> decode_moon_series(io::Bytes bytes) {
    using namespace moonxyz_file;
    const std::string name(files::kMoonSeries);
    if (bytes.size() < kRecordLength)
        return error_status("the Moon series \"" + name + "\" is too short (" + std::to_string(bytes.size()) +
                            " bytes, " + std::to_string(kRecordLength) + " expected)");
    MoonSeries s;
    for (std::size_t j = 0; j < kTerms; ++j) {
        s.a[j] = io::get_f64(bytes, j * kTermLength + kOffA);
        s.b[j] = io::get_f64(bytes, j * kTermLength + kOffB);
        s.c[j] = io::get_f64(bytes, j * kTermLength + kOffC);
        if (!std::isfinite(s.a[j]) || !std::isfinite(s.b[j]) || !std::isfinite(s.c[j]))
            return error_status("the Moon series \"" + name + "\" holds a value that is not a number (term " +
                                std::to_string(j + 1) + ")");
    }
    s.loaded = true;
    return s;
}

namespace {

Result<MoonSeries> read_moon_series(const std::string& path) {
    auto f = io::RecordFile::open(path, moonxyz_file::kRecordLength, io::OpenMode::Read);
    if (!f) return error_status("cannot open the Moon series \"" + path + "\": " + f.message());
    std::vector<std::uint8_t> rec(moonxyz_file::kRecordLength);
    Status s = f->read(1, rec);
    if (!s) return error_status("cannot read the Moon series \"" + path + "\": " + s.message());
    return decode_moon_series(rec);
}

}  // namespace

Status load_moon_series(MoonSeries& series, const std::string& path) {
    auto s = read_moon_series(path);
    ZEL_TRY(s);
    series = *s;
    return ok_status();
}

Status load_moon_series(MoonSeries& series, const DataPaths& paths) {
    return load_moon_series(series, data_file(paths, files::kMoonSeries));
}

Status moonxyz(std::string_view path, double jd, StateVector& geo) {
    while (!path.empty() && path.back() == ' ') path.remove_suffix(1);
    auto s = read_moon_series(std::string(path));
    ZEL_TRY(s);
    geo = moon_series_state(*s, jd);
    return ok_status();
}

}  // namespace zelvomat
