// Properties of one or two elliptic orbits about the Sun.
//
// Elements are OrbitElements (twobody.h): M, argument of perihelion w,
// ascending node W, inclination i (radians, ecliptic and equinox J2000),
// eccentricity e, mean motion n (radians per day); where a semi-major axis a
// is needed it is given apart, in AU. Dates are Julian dates (TT); a packed
// date is YYYYMMDD.ddddd, the fraction of the civil day from midnight, as the
// Gregorian calendar gives it (datajd.h).
//
//  moid       minimum orbit intersection distance of two ellipses (AU);
//  tisserand  Tisserand parameter of an orbit with respect to a planet's;
//  soizm      nearest mean-motion commensurability p:q;
//  t_per      time of the perihelion passage nearest the epoch;
//  t_as_ds    times of the passages through the two nodes;
//  vxyz       position on an orbit from the true anomaly;
//  txyz       position on an orbit at a date.
//
// Files: dmoidk.cpp (moid, tisserand), orbprop.cpp (the others and the
// exports Moid, CT, soizm, t_per, t_as_ds, TXYZ).
#pragma once

#include "core/catalog.h"
#include "core/frames.h"
#include "core/twobody.h"
#include "io/status.h"

namespace zelvomat {

// ---- Minimum orbit intersection distance -----------------------------------
//
// Method. A point of orbit S at eccentric anomaly u and a point of orbit T at
// eccentric anomaly v are a critical pair of the distance when the vector
// joining them is perpendicular to both tangents. For each u the points of T
// whose joining vector is perpendicular to S's tangent are the roots of
// Y cos v + X sin v = Z (two of them, or none when X^2 + Y^2 < Z^2: such a u
// is "unusable"); of the two, the one where the derivative of the squared
// distance along T is the smaller is taken, and F(u) is the resultant that
// vanishes where that derivative vanishes as well. u is scanned at a fixed
// step h; between consecutive usable points the zero of F is estimated by
// linear inverse interpolation, and the distance at every such estimate is a
// candidate (the distance at either root v, whichever is smaller). Every
// candidate is the distance of a real pair of points, so it never lies below
// the true MOID; but the scan alone can miss the minimum by much more than
// the interpolation error where few u are usable (distant orbits, whose
// tangent planes meet a small inner orbit only near their apsides: 1e-2 AU
// for orbits of 100 AU). So the smallest candidate is then polished: a local
// minimisation of the distance in (u, v) from that pair (Newton's method,
// bounded), which only ever lowers the distance.
//
// Choice of the scanned orbit and step (orbit 2 is normally the object, orbit
// 1 the planet): orbit 2 is scanned at 0.2 degrees when its inclination
// exceeds 40 degrees or its eccentricity 0.4; otherwise orbit 1 is scanned at
// 1.0 degree when orbit 2's inclination exceeds 8 degrees, at 1.5 degrees
// otherwise. When a scan finds no candidate the step is halved and the scan
// repeated, at most kMoidMaxHalvings times.
struct MoidPlan {
    bool scan_second = false;  // orbit 2 is the scanned orbit S
    double step_deg = 1.5;     // scan step h, degrees of eccentric anomaly
};
MoidPlan moid_plan(const OrbitElements& el2);

inline constexpr int kMoidMaxHalvings = 8;

// Result of the scan, with what it took.
struct MoidSearch {
    double moid_au = 0.0;   // after the polish
    double scan_au = 0.0;   // the scan's smallest candidate
    double step_deg = 0.0;  // the step of the scan that gave the result
    int halvings = 0;
};

// MOID of the orbits (el1, a1) and (el2, a2), AU. Fails for an orbit that is
// not an ellipse (e outside [0, 1)), a mean motion or semi-major axis that is
// not positive, a value that is not a finite number, and when no scan down to
// the smallest step found a candidate.
Result<MoidSearch> moid(const OrbitElements& el1, double a1, const OrbitElements& el2, double a2);

// Value that the export Moid returns for orbits it cannot treat.
inline constexpr double kMoidNone = -1.0;

// Tisserand parameter of orbit 2 with respect to orbit 1 (the perturbing
// planet): a1 / a2 + 2 cos I sqrt((a2 / a1)(1 - e2^2)), I the angle between
// the two orbit planes. Fails for semi-major axes that are not positive or an
// eccentricity e2 outside [0, 1).
Result<double> tisserand(const OrbitElements& el1, double a1, const OrbitElements& el2, double a2);

// ---- Commensurability --------------------------------------------------------

// Mean motions n1 and n2 in degrees per day, tolerance in arcseconds per day.
// Looks for p:q with 1 <= p, q <= max_term and |p / q - n1 / n2| below the
// tolerance over n2; the match with the smallest p and, for it, the smallest
// q is taken (so equal ratios come out in lowest terms). No match, or
// |p - q| > max_order, gives 0:0.
struct Commensurability {
    int p = 0, q = 0;
};
Commensurability soizm(double n1_deg, double n2_deg, int max_term, int max_order, int tolerance_arcsec);

// ---- Passages ------------------------------------------------------------------

// A date as a Julian date and as the packed civil date.
struct PassageDate {
    double jd = 0.0;
    double packed = 0.0;  // year x 10000 + month x 100 + day + fraction of the civil day
};

// Packed civil date of a Julian date, the fraction of the day kept whole (not
// rounded). Fails for a date that is not finite or lies outside the span of
// 32-bit day numbers.
Result<PassageDate> passage_date(double jd);

// Perihelion passage from the mean anomaly M (radians; taken modulo 2 pi) at
// the epoch: the last passage when M < pi, the next one otherwise. Fails
// for a mean motion that is not positive.
Result<PassageDate> t_per(double epoch, double M, double n);

// Passages through the ascending and descending node in the revolution that
// runs from aphelion to aphelion around the perihelion nearest the epoch.
struct NodePassages {
    PassageDate ascending, descending;
};
Result<NodePassages> t_as_ds(double epoch, double M, double w, double e, double n);

// ---- Position on an orbit --------------------------------------------------------

// Position on the orbit of the element set (epoch, M, w, W, i, e, n) at the
// true anomaly v, in the frame of the elements: r = a (1 - e^2)/(1 + e cos v),
// a = semiaxis(n, mass) (mass in solar masses, 0 for minor planets).
struct OrbitPoint {
    double r = 0.0;
    Vec3 x{};
};
OrbitPoint vxyz(const ElementSet& set, double v, double mass);

// Heliocentric ecliptic position (AU) at the Julian date jd of the body with
// the element set (Kepler's equation solved to 1e-10 radians). Fails for an
// orbit that is not an ellipse or a mean motion that is not positive.
Result<Vec3> txyz(const ElementSet& set, double jd, double mass);

}  // namespace zelvomat
