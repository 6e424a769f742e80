// Direction and rates of a relative state, shared by lightt, appfirst and
// geompos (internal to the library).
#pragma once

#include <cmath>

#include "core/apparent.h"
#include "core/utils.h"

namespace zelvomat::detail {

// Angle, latitude and length of the position w[0..2]: polar of (x, y) gives
// the angle in [0, 2 pi), polar of (projected length, z) the latitude. On the
// pole the angle is left as it was; at the origin both are.
inline void sky_direction(const double* w, double& ra, double& dec, double& dist) {
    double unused = 0.0, rho = 0.0;
    polar(w[0], w[1], ra, unused, rho);
    polar(rho, w[2], unused, dec, dist);
}

// Rates of the angle, latitude and length of the state w (position, then
// velocity), given its length dist:
//   d(ra)/dt   = (x vy - y vx) / s,                       s = x^2 + y^2,
//   d(dec)/dt  = (s vz - (x vx + y vy) z) / (sqrt(s) dist^2),
//   d(dist)/dt = (x vx + y vy + z vz) / dist.
// A rate whose quantity is undefined (the angle rates on the pole, all three
// at zero distance) is 0.
inline void sky_rates(const double* w, double dist, double& ra_rate, double& dec_rate, double& dist_rate) {
    const double s = w[0] * w[0] + w[1] * w[1];
    const double xv = w[0] * w[3] + w[1] * w[4];
    if (s > 0.0 && dist > 0.0) {
        ra_rate = (w[0] * w[4] - w[1] * w[3]) / s;
        dec_rate = (s * w[5] - xv * w[2]) / (std::sqrt(s) * dist * dist);
    } else {
        ra_rate = 0.0;
        dec_rate = 0.0;
    }
    dist_rate = dist > 0.0 ? (xv + w[2] * w[5]) / dist : 0.0;
}

}  // namespace zelvomat::detail
