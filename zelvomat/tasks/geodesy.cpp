// Geodetic conversions (see geodesy.h) and the export obscl, which turns the
// parallax constants of an observatory into its geodetic latitude and height
// and back.
//
// The iteration from geocentric to geodetic coordinates follows the classical
// scheme: start from the geodetic latitude of the point's direction on the
// ellipsoid, find the height along the normal that reaches the point's
// distance, and correct the latitude by the difference between the wanted and
// the resulting geocentric latitude.
#include "tasks/geodesy.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>
#include <string_view>

#include "core/utils.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "tasks/frob.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

namespace {

constexpr double kQuarterTurnArcsec = 324000.0;  // 90 degrees
constexpr double kFullTurnArcsec = 1296000.0;    // 360 degrees
// The latitude iteration converges by a factor of about 1/150 a step; the
// cap only guards against a point where rounding keeps the correction above
// the tolerance, or a point without a solution (NaN).
constexpr int kMaxIterations = 50;

// Radius of curvature in the prime vertical at latitude phi.
double prime_vertical(double phi) {
    const double s = std::sin(phi);
    return kGeoA / std::sqrt(1.0 - kGeoE2 * s * s);
}

void spherical_to_rect(double r, double lat_as, double lon_ts, double& x, double& y, double& z) {
    const double phi = lat_as / kArcsecPerRad;
    const double lambda = lon_ts / kTimeSecPerRad;
    x = r * std::cos(lambda) * std::cos(phi);
    y = r * std::sin(lambda) * std::cos(phi);
    z = r * std::sin(phi);
}

void rect_to_spherical(double x, double y, double z, double& r, double& lat_as, double& lon_ts) {
    r = std::sqrt(x * x + y * y + z * z);
    const double s = z / r;
    const double c = std::sqrt(std::fabs(1.0 - s * s));
    lat_as = quadrant_angle(s, c) * kArcsecPerRad;
    if (lat_as > kQuarterTurnArcsec) lat_as -= kFullTurnArcsec;
    lon_ts = quadrant_angle(y, x) * kTimeSecPerRad;
}

void geodetic_to_rect(double h, double lat_as, double lon_ts, double& x, double& y, double& z) {
    const double phi = lat_as / kArcsecPerRad;
    const double lambda = lon_ts / kTimeSecPerRad;
    const double n = prime_vertical(phi);
    x = (n + h) * std::cos(phi) * std::cos(lambda);
    y = (n + h) * std::cos(phi) * std::sin(lambda);
    z = (n * (1.0 - kGeoE2) + h) * std::sin(phi);
}

void geodetic_to_spherical(double h, double lat_as, double lon_ts, double& r, double& glat_as, double& lon_out) {
    const double phi = lat_as / kArcsecPerRad;
    const double n = prime_vertical(phi);
    const double z = (n * (1.0 - kGeoE2) + h) * std::sin(phi);
    const double rxy = (n + h) * std::cos(phi);
    lon_out = lon_ts;
    r = std::sqrt(z * z + rxy * rxy);
    // The equator and the north pole are kept exactly.
    if (lat_as == 0.0 || lat_as == kQuarterTurnArcsec)
        glat_as = lat_as;
    else
        glat_as = std::atan(z / rxy) * kArcsecPerRad;
}

void spherical_to_geodetic(double r, double glat_as, double lon_ts, double& h, double& lat_as, double& lon_out) {
    const double phic = glat_as / kArcsecPerRad;
    lon_out = lon_ts;
    const double sc = std::sin(phic);
    const double cc = std::cos(phic);
    // N is taken once, at the geocentric latitude; rs is the ellipsoid's
    // radius in the direction of the point.
    const double n = prime_vertical(phic);
    const double rs = kGeoA * std::sqrt((1.0 - kGeoE2) / (1.0 - kGeoE2 * cc * cc));
    double phi = std::atan(sc / (cc * (1.0 - kGeoE2)));
    double height = 0.0;
    for (int i = 0; i < kMaxIterations; ++i) {
        const double dphi = phi - phic;
        const double sd = std::sin(dphi);
        height = std::sqrt(r * r - rs * rs * sd * sd) - rs * std::cos(dphi);
        const double t = std::atan((n * (1.0 - kGeoE2) + height) * std::sin(phi) / ((n + height) * std::cos(phi)));
        const double d = phic - t;
        phi += d;
        if (std::fabs(d) * kArcsecPerRad <= 1e-10) break;
        if (!std::isfinite(d)) break;
    }
    h = height;
    lat_as = phi * kArcsecPerRad;
    if (lat_as > kQuarterTurnArcsec) lat_as -= kFullTurnArcsec;
}

}  // namespace

double quadrant_angle(double y, double x) {
    if (x == 0.0 && y == 0.0) return 0.0;
    const double sy = y < 0 ? -1.0 : 1.0;
    const double sx = x < 0 ? -1.0 : 1.0;
    double a;
    if (std::fabs(y) <= std::fabs(x))
        a = std::atan(y / x) + (1.0 - sx) * kPi / 2.0;
    else
        a = kPi / 2.0 - std::atan(x / y) + (1.0 - sy) * kPi / 2.0;
    if (a < 0) a += kTwoPi;
    return a;
}

void GEODESY(double p1, double p2, double p3, PointForm from, PointForm to, double& q1, double& q2, double& q3) {
    switch (10 * static_cast<std::int32_t>(from) + static_cast<std::int32_t>(to)) {
        case 12:
            spherical_to_rect(p1, p2, p3, q1, q2, q3);
            break;
        case 21:
            rect_to_spherical(p1, p2, p3, q1, q2, q3);
            break;
        case 32:
            geodetic_to_rect(p1, p2, p3, q1, q2, q3);
            break;
        case 31:
            geodetic_to_spherical(p1, p2, p3, q1, q2, q3);
            break;
        case 13:
            spherical_to_geodetic(p1, p2, p3, q1, q2, q3);
            break;
        case 23: {
            double r = 0, lat = 0, lon = 0;
            rect_to_spherical(p1, p2, p3, r, lat, lon);
            spherical_to_geodetic(r, lat, lon, q1, q2, q3);
            break;
        }
        default:  // 11, 22, 33 and invalid codes
            q1 = p1;
            q2 = p2;
            q3 = p3;
            break;
    }
}

namespace {

// A typed number of the dialog: the first 9 characters, the point anywhere.
Result<double> read_dialog_number(std::string_view text) {
    const std::string_view field = text.substr(0, std::min<std::size_t>(9, text.size()));
    double v = 0.0;
    if (!char_rl(field, v, 0) || v == kEmptyField)
        return error_status("invalid number \"" + std::string(io::trim(field)) + "\"");
    return v;
}

Status parallax_to_geodetic(std::string_view in1, std::string_view in2, std::span<char> out1, std::span<char> out2) {
    const auto dxy = read_dialog_number(in1);
    ZEL_TRY(dxy);
    const auto dz = read_dialog_number(in2);
    ZEL_TRY(dz);
    double lat_deg = 0.0, height = 0.0;
    if (*dxy == 0.0) {
        // On the axis: a pole, the height from the polar radius.
        lat_deg = *dz < 0 ? -90.0 : 90.0;
        height = std::fabs(*dz * kGeoA) - kGeoPolarRadius;
    } else {
        double lat_as = 0.0, lon = 0.0;
        GEODESY(*dxy * kGeoA, 0.0, *dz * kGeoA, PointForm::Rectangular, PointForm::Geodetic, height, lat_as, lon);
        if (!std::isfinite(height) || !std::isfinite(lat_as))
            return error_status("no geodetic latitude and height for a point so near the Earth's centre");
        lat_deg = lat_as / 3600.0;
    }
    Frob(1, 1, in1, in2, lat_deg, out1);
    if (std::fabs(height) < 1e8) Frob(0, 1, in1, in2, height, out2);
    return ok_status();
}

Status geodetic_to_parallax(std::string_view in1, std::string_view in2, std::span<char> out1, std::span<char> out2) {
    const auto lat_deg = read_dialog_number(in1);
    ZEL_TRY(lat_deg);
    const auto height = read_dialog_number(in2);
    ZEL_TRY(height);
    double x = 0.0, y = 0.0, z = 0.0;
    GEODESY(*height, *lat_deg * 3600.0, 0.0, PointForm::Geodetic, PointForm::Rectangular, x, y, z);
    Frob(2, 0, in1, in2, x / kGeoA, out1);
    Frob(2, 1, in1, in2, z / kGeoA, out2);
    return ok_status();
}

std::string_view text_of(const char* p, int len) {
    return (p == nullptr || len <= 0) ? std::string_view() : std::string_view(p, static_cast<std::size_t>(len));
}

std::span<char> span_of(char* p, int len) {
    return (p == nullptr || len <= 0) ? std::span<char>() : std::span<char>(p, static_cast<std::size_t>(len));
}

}  // namespace

}  // namespace zelvomat

extern "C" ZELVOMAT_API void obscl(int mode, const char* in1, int in1_len, const char* in2, int in2_len, char* out1,
                                   int out1_len, char* out2, int out2_len) {
    using namespace zelvomat;
    export_guard([&]() -> Status {
        const auto t1 = text_of(in1, in1_len);
        const auto t2 = text_of(in2, in2_len);
        const auto o1 = span_of(out1, out1_len);
        const auto o2 = span_of(out2, out2_len);
        if (mode == 1) return parallax_to_geodetic(t1, t2, o1, o2);
        if (mode == 2) return geodetic_to_parallax(t1, t2, o1, o2);
        return ok_status();
    });
}
