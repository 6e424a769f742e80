#include "core/tframe.h"

#include <algorithm>
#include <cmath>

namespace zelvomat {

std::int32_t tframe_points(double span_days) {
    const double span = std::fabs(span_days);
    if (span < 2.0) return 1;
    if (span < 30.0) return 6;
    if (span <= 300.0) return 11;
    return 21;
}

namespace {

// A direction of the path: right ascension in [0, 2 pi], declination within
// the poles. Anything else (not a number) cannot be framed.
Status check_direction(const TrackDirection& d) {
    if (!(d.ra_rad >= 0.0 && d.ra_rad <= kTwoPi && std::fabs(d.decl_rad) <= kPi / 2 * (1.0 + 1e-12)))
        return error_status("The path of the track plot cannot be computed: a direction is not a place on the sky.");
    return ok_status();
}

}  // namespace

Result<TimeGrid> tframe(double jd1, double jd2, const DirectionAt& direction) {
    TimeGrid g;
    g.points = tframe_points(jd2 - jd1);
    g.step_days = (jd2 - jd1) / g.points;

    // Range of the path on the grid. Right ascensions are kept continuous: when
    // two successive directions are more than half a turn apart the path has
    // crossed 0h, and the range found so far is moved by a turn so that it
    // joins the new direction.
    auto first = direction(jd1);
    ZEL_TRY(first);
    ZEL_TRY(check_direction(*first));
    double ra_from = first->ra_rad, ra_to = first->ra_rad;
    double d_from = first->decl_rad, d_to = first->decl_rad;
    double previous_ra = first->ra_rad;
    for (std::int32_t i = 1; i <= g.points; ++i) {
        // The grid is counted, not accumulated, so it ends for every interval
        // (negative and empty ones included) and its last date is jd2 itself.
        const double t = i == g.points ? jd2 : jd1 + i * g.step_days;
        auto at = direction(t);
        ZEL_TRY(at);
        ZEL_TRY(check_direction(*at));
        const double ra = at->ra_rad;
        const double d = at->decl_rad;
        if (std::fabs(ra - previous_ra) > kPi) {
            const double shift = ra < kPi ? -kTwoPi : kTwoPi;
            ra_from += shift;
            ra_to += shift;
        }
        if (ra > ra_to)
            ra_to = ra;
        else if (ra < ra_from)
            ra_from = ra;
        if (d > d_to)
            d_to = d;
        else if (d < d_from)
            d_from = d;
        previous_ra = ra;
    }
    while (ra_from < 0) {
        ra_from += kTwoPi;
        ra_to += kTwoPi;
        ++g.wraps;
    }

    // A path spread over too much right ascension gets the whole sky.
    const double h = (ra_to - ra_from) / 2.0;
    if (h + 2.0 * h / 5.0 >= kPi) {
        g.frame = whole_sky_frame();
        return g;
    }

    // Margins of a fifth of the half-range on each side.
    ra_from -= h / 5.0;
    ra_to += h / 5.0;
    if (ra_from < 0) {
        ra_from += kTwoPi;
        ra_to += kTwoPi;
        ++g.wraps;
    }
    const double gd = std::fabs(d_to - d_from) / 2.0;
    d_from -= gd / 5.0;
    d_to += gd / 5.0;

    // Square frame: the declination range is at least as wide as the
    // right-ascension range (half-width h about its middle); never past a pole.
    if (h > gd) {
        const double c = (d_from + d_to) / 2.0;
        d_from = c - h;
        d_to = c + h;
    }
    d_from = std::max(d_from, -kPi / 2);
    d_to = std::min(d_to, kPi / 2);

    TrackFrame& f = g.frame;
    f.ra_from_rad = ra_from;
    f.ra_to_rad = ra_to;
    f.decl_from_rad = d_from;
    f.decl_to_rad = d_to;
    if (h < 0.125 / kDegPerRad) {
        // Nearly stationary: no display grid.
        f.ra_from_min = f.ra_to_min = f.decl_from_deg = f.decl_to_deg = 0;
        return g;
    }

    // Snap outwards to whole minutes of time and whole degrees, and take the
    // limits from the display values.
    f.ra_from_min = static_cast<std::int32_t>(std::trunc(ra_from * kDegPerRad * 4.0));
    f.ra_to_min = static_cast<std::int32_t>(std::trunc(ra_to * kDegPerRad * 4.0)) + 1;
    std::int32_t df = static_cast<std::int32_t>(std::trunc(d_from * kDegPerRad));
    if (df < 0 && df != -90) df -= 1;
    std::int32_t dt = static_cast<std::int32_t>(std::trunc(d_to * kDegPerRad + 1.0));
    if (dt < 0) dt -= 1;
    f.decl_from_deg = std::max(df, -90);
    f.decl_to_deg = std::min(dt, 90);
    f.ra_from_rad = f.ra_from_min / 4.0 / kDegPerRad;
    f.ra_to_rad = f.ra_to_min / 4.0 / kDegPerRad;
    f.decl_from_rad = f.decl_from_deg / kDegPerRad;
    f.decl_to_rad = f.decl_to_deg / kDegPerRad;
    return g;
}

}  // namespace zelvomat
