// Frame of a track plot: the right-ascension and declination limits of an
// object's path between two dates, for the track view.
//
// The path is followed on a coarse time grid (1, 6, 11 or 21 steps by the
// length of the interval); its range is widened by margins of a fifth of the
// half-range on each side, made square (the declination range is at least as
// wide as the right-ascension range, both measured as plain angles), and
// snapped outwards to whole minutes of time and whole degrees. A path spread
// over 2 pi / 1.4 (about 257 degrees) of right ascension or more gets the whole
// sky. Declination limits stay within -90 .. +90 degrees.
//
// Right ascensions of a path that crosses 0h stay continuous: the range may
// start below 24h and end past it (display limits above 1440 minutes), after
// whole turns were added to make its start non-negative (counted in wraps).
#pragma once

#include <cstdint>
#include <functional>

#include "core/utils.h"
#include "io/status.h"

namespace zelvomat {

// Geocentric apparent direction, mean equator and equinox J2000: right
// ascension in [0, 2 pi), declination in [-pi/2, pi/2].
struct TrackDirection {
    double ra_rad = 0.0;
    double decl_rad = 0.0;
};

// Direction of the plotted object at a Julian date (TT). The track set-up
// supplies it, for an object given by its osculating elements at an epoch:
//  - before the first call: the planetary ephemeris reader's twelve request
//    flags cleared, its centre the Earth (3), the observer vector zero
//    (geocentric);
//  - the object's heliocentric equatorial state at jd from two-body motion
//    (mass 0, the elements at their epoch, obliquity 0.4090928042223 rad);
//  - the Sun relative to the Earth: from the ephemeris file (the Sun's
//    request flag 2 for that call only, the whole day of jd and its fraction
//    in seconds) or, for a date outside the file's span, from the fallback
//    planetary theory (file handle 32, centre 3, body 10);
//  - light time from the geocentre, rates off, giving right ascension and
//    declination.
// A failure ends the frame computation.
using DirectionAt = std::function<Result<TrackDirection>(double jd)>;

// The frame written into the shared track storage.
struct TrackFrame {
    double ra_from_rad = 0.0;
    double ra_to_rad = kTwoPi;
    double decl_from_rad = -kPi / 2;
    double decl_to_rad = kPi / 2;
    // Display forms: right ascension in minutes of time, declination in
    // degrees. All four are 0 for a nearly stationary object (right-ascension
    // half-range below 0.125 degrees); the radian limits are then the widened
    // range itself.
    std::int32_t ra_from_min = 0;
    std::int32_t ra_to_min = 1440;
    std::int32_t decl_from_deg = -90;
    std::int32_t decl_to_deg = 90;
};

// The whole sky: 0 .. 2 pi (0 .. 1440 minutes), -90 .. +90 degrees.
inline TrackFrame whole_sky_frame() { return TrackFrame{}; }

struct TimeGrid {
    TrackFrame frame;
    double step_days = 0.0;   // (jd2 - jd1) / points, signed
    std::int32_t points = 0;  // grid steps; the direction is taken points + 1 times
    std::int32_t wraps = 0;   // turns added to make the right-ascension range non-negative
};

// Grid steps for an interval of |span_days|: 1 below 2 days, 6 below 30, 11 up
// to 300, 21 beyond.
std::int32_t tframe_points(double span_days);

// The frame of the path between jd1 and jd2 (either order; the grid runs from
// jd1 towards jd2 and ends exactly at jd2).
Result<TimeGrid> tframe(double jd1, double jd2, const DirectionAt& direction);

}  // namespace zelvomat
