// The observer's geocentric position and velocity from the parallax
// constants and the sidereal time, in the frame of date and in J2000.
//
// The Earth is taken as a rigid body turning about its pole at 1.0027379
// sidereal turns per day of UT; polar motion is neglected. References:
// Explanatory Supplement to the Astronomical Almanac (1992), 3.35 (geocentric
// coordinates of an observer) and 3.222 (the equation of the equinoxes).
#include <cmath>

#include "core/apparent.h"
#include "core/corestate.h"
#include "core/frames.h"
#include "core/observer.h"
#include "core/utils.h"

namespace zelvomat {

namespace {

// Observer at the sidereal angle theta (radians, observer's meridian from the
// x axis of the frame).
StateVector observer_at(double theta, double rc, double rs) {
    const double c = std::cos(theta), s = std::sin(theta);
    const double w = kTwoPi * kSiderealTurnsPerDay;  // radians per day
    return {rc * c, rc * s, rs, -rc * w * s, rc * w * c, 0.0};
}

}  // namespace

StateVector obsvec(std::int32_t jd, double fr_ut, double lon, double rc, double rs) {
    return observer_at(gmst(jd, fr_ut) + lon, rc, rs);
}

StateVector obsvec_j2000(std::int32_t jd, double fr_tt, double fr_ut, double lon, double rc, double rs) {
    const double jd_d = static_cast<double>(jd);
    // Precession from J2000.0 to the date and nutation of the date: NP turns
    // J2000 mean coordinates into true coordinates of date.
    const PrecessionAngles pa = prec(0, 2451545.0, 0.0, jd_d, fr_tt);
    const Mat3 p = mapr(pa.zeta, pa.z, pa.theta);
    const Nutation nu = nutm(0, 0, jd_d, fr_tt);
    const double eps = obliq(jd, fr_tt);
    const Mat3 np = matmul(nutmat(nu.dpsi, nu.deps, eps), p);

    // True equator and equinox of date: apparent sidereal time (mean
    // sidereal time plus the equation of the equinoxes).
    const StateVector tod = observer_at(gmst(jd, fr_ut) + nu.dpsi * std::cos(eps) + lon, rc, rs);

    // Back to J2000 with the transpose: v_j2000(i) = sum_k NP(k, i) v_tod(k).
    StateVector out{};
    for (int i = 1; i <= 3; ++i) {
        double x = 0.0, v = 0.0;
        for (int k = 1; k <= 3; ++k) {
            x += m3(np, k, i) * tod[static_cast<std::size_t>(k - 1)];
            v += m3(np, k, i) * tod[static_cast<std::size_t>(k + 2)];
        }
        out[static_cast<std::size_t>(i - 1)] = x;
        out[static_cast<std::size_t>(i + 2)] = v;
    }
    return out;
}

}  // namespace zelvomat
