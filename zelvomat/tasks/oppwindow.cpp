// The window of opposition dates of an observation or a plate (rule and
// units in oppwindow.h).
//
// Calls: polar.
#include "tasks/oppwindow.h"

#include <cmath>

#include "core/utils.h"

namespace zelvomat {

OppositionWindow opposition_window(double ra, double anti_sun, double half_ra, double jd) {
    double x = ra - anti_sun;
    if (x < -kPi) x += kTwoPi;
    if (x > kPi) x -= kTwoPi;
    const double d = std::fabs(x);
    const double deg = d * kDegPerRad;
    double w = deg - 5.0;
    if (d > kPi / 3) w = 4.0 * deg / 3.0 - 25.0;
    if (d < kPi / 4) w = 4.0 * deg / 4.63;
    if (w > 130.0) w *= 1.1;
    OppositionWindow win;
    win.half = (720.0 / kPi) * half_ra / 4.63 + 0.15 * w;
    win.shift = x < 0.0 ? -w : w;
    win.search = kWindowWidening * win.half;
    win.first = jd + win.shift - win.search;
    win.last = jd + win.shift + win.search;
    return win;
}

double anti_solar_ra(double sun_x, double sun_y) {
    double sun_ra = 0.0, unused = 0.0, rxy = 0.0;
    polar(sun_x, sun_y, sun_ra, unused, rxy);
    double a = sun_ra - kPi;
    if (a < 0.0) a += kTwoPi;
    return a;
}

}  // namespace zelvomat
