// What the observer sees: the observer's geocentric vector, the direction of
// an object with light time, the first-order apparent direction, the phase
// angle and elongation, and the plain geometric direction.
//
// Units: AU, days, radians. All vectors handed to one call are in the same
// equatorial frame (the caller's frame of the result). The three states of
// lightt, appfirst and geompos are:
//   a  the object's heliocentric state;
//   b  the Sun's state relative to the centre of the task;
//   c  the vector from the observer to the centre (zero for a geocentric
//      task; for a topocentric one the result of obsvec with the stored
//      parallax constants, see core/observer.h).
// a + b + c is the object as seen by the observer.
//
// Files: obsvec.cpp (obsvec, obsvec_j2000), lightt.cpp (lightt, appfirst),
// elongph.cpp, geompos.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/constants.h"
#include "core/frames.h"
#include "core/twobody.h"

namespace zelvomat {

// The Earth's rotation in sidereal turns per day of UT.
inline constexpr double kSiderealTurnsPerDay = 1.0027379;

// ---- The observer ----------------------------------------------------------

// Geocentric position and velocity of an observer at the UT1 instant
// jd + fr_ut (jd a day number, fr_ut the fraction) from the east longitude
// lon (radians) and the parallax constants rc = rho cos phi', rs = rho sin
// phi'. With theta = gmst(jd, fr_ut) + lon:
//   position (rc cos theta, rc sin theta, rs),
//   velocity 2 pi 1.0027379 (-rc sin theta, rc cos theta, 0) per day.
// The result is in the units of rc and rs (per day for the velocity); with
// the constants stored in ObserverSite (times minus the Earth's radius in AU)
// it is the vector from the observer to the geocentre in AU and AU/day.
//
// Frame: the equator of date with its x axis towards the mean equinox of
// date (the sidereal time is the mean one). This is the frame of date, not
// J2000: a caller whose other vectors are in another frame must not add this
// vector to them; see obsvec_j2000.
StateVector obsvec(std::int32_t jd, double fr_ut, double lon, double rc, double rs);

// The same observer vector referred to the mean equator and equinox of
// J2000.0, so that it can be added to, and rotated with, the library's J2000
// states.
//   jd + fr_tt  the date on the dynamical time scale (precession, nutation);
//   jd + fr_ut  the same instant in UT1 (sidereal time): fr_tt - Delta T.
// The vector is first formed in the true equator and equinox of date with the
// apparent sidereal time gmst(jd, fr_ut) + dpsi cos(eps) (IAU 1980 nutation,
// eps the mean obliquity of date), then turned by the transpose of NP, the
// precession (IAU 1976, from J2000.0) and nutation matrix of the date:
// v(J2000) = (N P)^T v(true of date). The velocity is turned the same way
// (the slow turning of the frame itself is neglected).
//
// Use in the position routine, for a topocentric observer: take
//   c := obsvec_j2000(JDint, fraction, fraction - Delta T / 86400, lon, rc, rs)
// and from then on treat c exactly like the object's and the Sun's vectors:
// every frame rotation applied to those (J2000 -> B1950, -> ecliptic, N P for
// the equinox of date) is applied to c as well.
StateVector obsvec_j2000(std::int32_t jd, double fr_tt, double fr_ut, double lon, double rc, double rs);

// ---- Direction of the object -----------------------------------------------

// Direction seen by the observer, with the rates of its angles.
struct SkyDirection {
    double ra = 0.0;         // right ascension (or longitude), [0, 2 pi)
    double dec = 0.0;        // declination (or latitude), [-pi/2, pi/2]
    double dist = 0.0;       // distance from the observer, AU
    double ra_rate = 0.0;    // radians per day
    double dec_rate = 0.0;   // radians per day
    double dist_rate = 0.0;  // radial velocity, AU per day
};

// Astrometric direction: the light time is iterated, the object being moved
// back along its velocity by (distance x 1/c), until two successive distances
// agree within 1e-8 AU. out.ra and out.dec are the direction of the last
// pass; out.dist is the geometric distance (of the first pass, without the
// light-time shift). With LightTimeRates::Computed the rates are the
// geometric ones of a + b + c; with LightTimeRates::Kept out's three rates are
// left as they are.
//
// Notes:
// 1. Only the object is moved back; the Sun's and the observer's vectors
//    stay at the date (their motion during the light time is not taken).
// 2. An object on the pole of the frame (no projection on the equator)
//    keeps out.ra as the caller set it, and has out.dec = +-pi/2. An object
//    at the observer keeps out.ra and out.dec.
// 3. Where a rate is undefined (the right ascension rate and declination
//    rate on the pole, every rate at zero distance) it is set to 0.
// 4. At most kLightTimePasses passes are made; the delay converges for every
//    object slower than light, by a factor v/c per pass.
enum class LightTimeRates { Kept, Computed };
void lightt(const StateVector& a, const StateVector& b, const StateVector& c, SkyDirection& out, LightTimeRates rates);
inline constexpr int kLightTimePasses = 50;

// First-order apparent direction: the geometric direction of a + b + c and
// its rates, then each angle is moved back by its rate x distance x 1/c
// (light time and aberration to first order, since the rates include the
// observer's motion); the right ascension is reduced into [0, 2 pi). The
// distance and the rates stay geometric. Poles and zero distance as lightt.
void appfirst(const StateVector& a, const StateVector& b, const StateVector& c, SkyDirection& out);

// Geometric position: a + b + c.
//   form "REC": out = x, y, z, vx, vy, vz (AU, AU/day);
//   otherwise:  out = angle in [0, 2 pi), latitude, distance, and, when
//               rates is "YES", the rates of the three (else out[3..5] are
//               left as they are). Poles and zero distance as lightt.
// The texts are compared over their whole length ("REC", "YES").
void geompos(const StateVector& a, const StateVector& b, const StateVector& c, std::array<double, 6>& out,
             std::string_view form, std::string_view rates);

// ---- Phase and elongation --------------------------------------------------

struct PhaseElongation {
    double phase = 0.0;  // angle Sun - object - observer, radians, 0 .. pi
    double elong = 0.0;  // angle Sun - observer - object, radians, 0 .. pi
    char side = 'E';     // 'E' or 'W': the side of the Sun the object is on
};

// a: the object's heliocentric position; b: the Sun's position relative to
// the observer. side is 'W' when the object lies west of the Sun seen from
// the frame's north pole (b2 d1 - b1 d2 < 0, d = -b - a the vector from the
// object to the observer), else 'E'.
// The angles come from the half-angle formulas of the plane triangle of the
// three distances. Degenerate cases: the observer at the Sun or at the object
// (|b| or |d| below 1e-11 AU) gives phase and elongation 0; the object on the line between
// the Sun and the observer gives phase pi, elongation 0; the observer between
// them elongation pi, phase 0.
PhaseElongation elongph(const Vec3& a, const Vec3& b);

}  // namespace zelvomat
