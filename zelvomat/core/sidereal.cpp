// Greenwich mean sidereal time and the spherical triangle of the horizon.
//
// GMST: the IAU 1982 expression (Aoki et al. 1982, A&A 105, 359),
//   GMST = 24110.54841 s + 8640184.812866 s T + 0.093104 s T^2 - 6.2e-6 s T^3
//          + UT1 of the day,
// written in turns with T counted to the instant itself (not to 0h UT1).
#include <cmath>

#include "core/constants.h"
#include "core/frames.h"
#include "core/utils.h"

namespace zelvomat {

double gmst(std::int32_t jd, double fr) {
    // u: the UT1 fraction of the civil day (from midnight); whole days do not
    // matter, the result being reduced to one turn.
    const double d = jd - kJ2000;
    const double u = fr >= 0.5 ? fr - 0.5 : fr + 0.5;
    const double D = d + fr;
    const double T = D / kDaysPerJulianCentury;
    // The published coefficients, seconds of time; the sidereal seconds of a
    // turn are the seconds of a day.
    const double seconds = 24110.54841 + 8640184.812866 * T + 0.093104 * T * T - 6.2e-6 * T * T * T;
    const double turns = seconds / kSecondsPerDay + u;
    return norm2pi(turns * kTwoPi);
}

void sphrot(double a, double b, double c, double& a1, double& s, double& a2) {
    const double sa = std::sin(a), ca = std::cos(a);
    const double sb = std::sin(b), cb = std::cos(b);
    const double sc = std::sin(c), cc = std::cos(c);
    double t = 0.0;
    // First angle (the azimuth from the north towards the west).
    const double x1 = ca * sc - sa * cb * cc;
    const double y1 = sa * sb;
    double r1 = 0.0;
    polar(x1, y1, a1, t, r1);
    // Third side (the zenith distance), in [0, pi] since r1 >= 0.
    const double x2 = sa * cb * sc + ca * cc;
    double r2 = 0.0;
    polar(x2, r1, s, t, r2);
    // Second angle (the parallactic angle).
    const double x3 = sa * cc - ca * cb * sc;
    const double y3 = sb * sc;
    double r3 = 0.0;
    polar(x3, y3, a2, t, r3);
}

}  // namespace zelvomat
