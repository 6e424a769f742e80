// Two-body (Keplerian) motion about the Sun.
//
// Elliptic orbits only. Units: AU, days, radians; the Gaussian gravitational
// constant k = 0.01720209895 with a body of m solar masses moving as
// k sqrt(1 + m) (m = 0 for minor planets and comets).
//
// Frames: elements are referred to the ecliptic and equinox of J2000. The
// vectors of twobody, stateel and pqrvec are in the frame obtained from that
// ecliptic frame by a rotation of eps about the x axis: eps = 0 keeps
// ecliptic coordinates, eps = kObliquityJ2000 (frames.h) gives the mean
// equator and equinox of J2000, which is what the library's callers use.
//
// Files: twobody.cpp (twobody, pqrvec, meanmot, semiaxis), kepler.cpp,
// stateel.cpp.
#pragma once

#include <array>
#include <cstdint>

#include "core/constants.h"
#include "core/frames.h"
#include "io/status.h"

namespace zelvomat {

// Position x, y, z (AU) and velocity (AU per day).
using StateVector = std::array<double, 6>;

// Osculating elements, in the library's order: mean anomaly, argument of
// perihelion, longitude of the ascending node, inclination (radians), the
// eccentricity, mean motion (radians per day).
struct OrbitElements {
    double mean_anomaly = 0.0;
    double arg_perihelion = 0.0;
    double node = 0.0;
    double incl = 0.0;
    double ecc = 0.0;
    double mean_motion = 0.0;

    // From / to six doubles in the order above.
    static OrbitElements from(const double v[6]) { return {v[0], v[1], v[2], v[3], v[4], v[5]}; }
    void store(double v[6]) const {
        v[0] = mean_anomaly;
        v[1] = arg_perihelion;
        v[2] = node;
        v[3] = incl;
        v[4] = ecc;
        v[5] = mean_motion;
    }
};

// Convergence tolerances (radians of eccentric anomaly) of twobody: minor
// planets, and the comets edition.
inline constexpr double kKeplerTol = 1e-14;
inline constexpr double kKeplerTolComet = 1e-12;
constexpr double kepler_tolerance(int comet_mode) { return comet_mode == 1 ? kKeplerTolComet : kKeplerTol; }

// Eccentric anomaly E of Kepler's equation E - e sin E = M, for 0 <= e < 1.
// M is first reduced into [0, 2 pi); E is the root belonging to that M (so
// E is in [0, 2 pi) as well, and E = M exactly for e = 0). The result is
// within tol of the exact root (apart from rounding of E itself, about
// 1e-15). An eccentricity outside [0, 1) or a non-finite M gives NaN.
double kepler(double e, double M, double tol);

// Orientation of the orbit: unit vectors towards the perihelion (p), 90
// degrees ahead of it in the orbit plane (q) and along the orbit's pole (r),
// in the frame of eps.
struct OrbitAxes {
    Vec3 p{}, q{}, r{};
};
OrbitAxes pqrvec(double arg_perihelion, double node, double incl, double eps);

// Mean motion (radians per day) of semi-major axis a (AU), and the reverse.
double meanmot(double a, double mass);
double semiaxis(double n, double mass);

// State at the date jd + fr of a body with the elements el at the epoch
// jd0 + fr0 (the day numbers and fractions are differenced separately, so
// long spans keep their precision). tol is the Kepler tolerance
// (kepler_tolerance(comet mode)). Fails, leaving state as it was, for an
// orbit that is not elliptic (e outside [0, 1)) or a mean motion that is not
// positive.
Status twobody(double mass, std::int32_t jd0, double fr0, const OrbitElements& el, std::int32_t jd, double fr,
               double eps, StateVector& state, double tol = kKeplerTol);

// Osculating elements of a state vector in the frame of eps; the mean
// anomaly is that at the state's own date, the angles are in [0, 2 pi) and
// the inclination in [0, pi]. Degenerate orientations:
//  - a circular orbit (e below 1e-15): e = 0, the perihelion is put at the
//    ascending node (argument of perihelion 0) and the mean anomaly counts
//    from there; in the ecliptic plane it counts from the x axis;
//  - an orbit in the ecliptic (sin i < 1e-14): node 0, i = 0 (or pi for a
//    retrograde orbit), the argument of perihelion counted from the x axis.
// Fails, leaving el as it was, for a state that is not elliptic (a
// parabolic or hyperbolic speed, or a zero distance).
Status stateel(double mass, const StateVector& state, OrbitElements& el, double eps);

}  // namespace zelvomat
