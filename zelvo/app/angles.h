// Angles of the plate plot, its coordinate net and the track view: the
// sexagesimal forms of the plate and object lines, and the gnomonic
// (tangent-plane) projection about a plate centre.
//
// All angles are radians unless a name says otherwise; right ascension and
// declination are of the frame the library writes (J2000 equator).
#pragma once

#include <cstdint>

namespace zelvo {

// pi times the sexagesimal value |units| + minutes / 60 + seconds / 3600,
// negated when units < 0 or, for units >= 0, when sign is '-' (never twice):
// divide by 12 for an angle given in hours, by 180 for one in degrees. The
// sign character carries the sign of a zero units field ("-00 30").
double SexagesimalTimesPi(std::int32_t units, std::int32_t minutes, double seconds, char sign);

// angle (radians) in hours (mode 1) or degrees (any other mode): sign '-' for
// a negative angle, '+' otherwise, then the units, minutes and seconds of its
// absolute value. A units or minutes value within 1e-8 of the next whole
// number is carried ("5h 59m 59.99999s" of rounding becomes 6h 0m 0s);
// seconds below 1e-8 are 0.
void RadiansToSexagesimal(int mode, double angle, std::int32_t& units, std::int32_t& minutes, double& seconds,
                          char& sign);

// x rounded to the nearest integer, halves away from zero. Values beyond the
// 32-bit range are held at its ends (NaN gives 0).
std::int32_t RoundToNearest(double x);

// Standard coordinates (xi, eta) of the direction (alpha, delta) on the plane
// tangent to the sphere at (alpha0, delta0). A direction 90 degrees or more
// from the tangent point has no image: xi and eta are then set to a huge
// value of the right signs (1e10) so that callers see it far off any plate.
void GnomonicProject(double alpha, double delta, double alpha0, double delta0, double& xi, double& eta);

// The direction (alpha, delta) of the standard coordinates (xi, eta) about
// the tangent point (alpha0, delta0); points beyond the pole come back on the
// other side of it. alpha is not brought into 0..2 pi.
void GnomonicUnproject(double xi, double eta, double alpha0, double delta0, double& alpha, double& delta);

}  // namespace zelvo
