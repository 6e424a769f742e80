// Geodetic conversions on the GRS 80 reference ellipsoid.
//
// A point near the Earth is given in one of three forms (three doubles):
//   form 1, geocentric spherical: distance from the centre (m), geocentric
//           latitude (arcseconds), longitude east (seconds of time);
//   form 2, rectangular: X (m, towards longitude 0), Y (m, towards 6h east),
//           Z (m, towards the north pole);
//   form 3, geodetic: height above the ellipsoid (m), geodetic latitude
//           (arcseconds), longitude east (seconds of time).
// Latitudes are returned in -324000 .. +324000 arcseconds, longitudes
// computed from X and Y in 0 .. 86400 seconds of time.
//
// Ellipsoid: a = 6378137 m, f = 1/298.257222101 (GRS 80, the ellipsoid of
// the Geodetic Reference System 1980, Moritz 1980), e^2 = 2f - f^2.
//
// Parallax constants, as observatory lists give them: rho cos phi' and
// rho sin phi' are the distances of the site from the Earth's axis and from
// the equator plane in equatorial radii a, i.e. sqrt(X^2 + Y^2) / a and Z / a.
#pragma once

#include <cstdint>

#include "core/constants.h"

namespace zelvomat {

inline constexpr double kGeoA = kEarthEquatorialRadiusM;  // equatorial radius, m
inline constexpr double kGeoF = kEarthFlattening;         // flattening
inline constexpr double kGeoE2 = 2.0 * kGeoF - kGeoF * kGeoF;
// Polar radius used for a site on the axis (the value a and f give is
// 6356752.314 m).
inline constexpr double kGeoPolarRadius = 6356752.341;

// The forms of a point of GEODESY: spherical (distance m, geocentric
// latitude and longitude), rectangular (m), geodetic (height m, geodetic
// latitude and longitude). The numbers are those of the forms' codes.
enum class PointForm : std::int32_t { Spherical = 1, Rectangular = 2, Geodetic = 3 };

// Converts the point (p1, p2, p3) of the form `from` into (q1, q2, q3) of the
// form `to`: the same form copies; spherical -> geodetic is iterated to
// 1e-10 arcsecond; rectangular -> geodetic goes through the spherical form.
// A value outside the three forms copies p to q. A point at the centre, or one so deep inside
// the Earth that no height along the normal reaches it (within about 21 km of
// the centre), gives NaN in the geodetic form; callers test std::isfinite.
void GEODESY(double p1, double p2, double p3, PointForm from, PointForm to, double& q1, double& q2, double& q3);

// Quadrant angle of (x, y) in [0, 2 pi); 0 for the origin.
double quadrant_angle(double y, double x);

}  // namespace zelvomat
