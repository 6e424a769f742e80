// Frame of a track plot: grid of dates, right-ascension continuity across 0h,
// margins, square frame, snapping, whole sky, and the limits at the poles.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/tframe.h"

namespace {

using zelvomat::DirectionAt;
using zelvomat::kDegPerRad;
using zelvomat::kPi;
using zelvomat::kTwoPi;
using zelvomat::Result;
using zelvomat::tframe;
using zelvomat::TimeGrid;
using zelvomat::TrackDirection;

constexpr double kJd0 = 2451545.0;

// A path moving uniformly from (ra1, d1) at jd1 to (ra2, d2) at jd2, degrees;
// right ascensions may run past 360 or below 0 (the direction is reduced to
// 0 .. 360). Records the dates asked for.
struct LinearPath {
    double jd1, jd2, ra1, ra2, d1, d2;
    std::vector<double>* dates = nullptr;
    Result<TrackDirection> operator()(double jd) const {
        if (dates) dates->push_back(jd);
        const double u = jd2 == jd1 ? 0.0 : (jd - jd1) / (jd2 - jd1);
        double ra = std::fmod(ra1 + (ra2 - ra1) * u, 360.0);
        if (ra < 0) ra += 360.0;
        return TrackDirection{ra / kDegPerRad, (d1 + (d2 - d1) * u) / kDegPerRad};
    }
};

TimeGrid frame_of(const LinearPath& p) {
    auto g = tframe(p.jd1, p.jd2, DirectionAt(p));
    EXPECT_TRUE(g.ok()) << g.message();
    return g.ok() ? *g : TimeGrid{};
}

TEST(Tframe, GridStepsByLengthOfInterval) {
    struct Case {
        double span;
        int points;
    };
    const Case cases[] = {{0.0, 1},  {0.25, 1},  {1.5, 1},    {1.999, 1},   {2.0, 6},
                          {29.0, 6}, {30.0, 11}, {300.0, 11}, {300.5, 21},  {36525.0, 21},
                          {-1.5, 1}, {-0.1, 1},  {-29.0, 6},  {-300.5, 21}, {-3652.5, 21}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.span);
        std::vector<double> dates;
        const LinearPath path{kJd0, kJd0 + c.span, 10, 20, 0, 5, &dates};
        const auto g = frame_of(path);
        EXPECT_EQ(g.points, c.points);
        EXPECT_NEAR(g.step_days, c.span / c.points, 1e-9);  // days (Julian-date rounding)
        // Every interval, negative and empty ones included, is walked from
        // jd1 to jd2 in points steps and ends exactly at jd2.
        ASSERT_EQ(dates.size(), static_cast<std::size_t>(c.points + 1));
        EXPECT_EQ(dates.front(), kJd0);
        EXPECT_EQ(dates.back(), kJd0 + c.span);
        for (std::size_t i = 1; i < dates.size(); ++i) EXPECT_NEAR(dates[i] - dates[i - 1], g.step_days, 1e-9);  // days
    }
}

struct FrameCase {
    const char* what;
    LinearPath path;
    int ra_from_min, ra_to_min, decl_from_deg, decl_to_deg, wraps;
};

// Expected values worked by hand: half-ranges h (right ascension) and g
// (declination), margins of h/5 and g/5, the declination range widened to
// the half-width h about its middle when h > g, then snapped outwards.
const FrameCase kFrames[] = {
    // h = 5, RA 9.3 .. 21.3; g = 1, Dec 4.9 .. 7.3 squared about 6.1: 1.1 .. 11.1.
    {"square frame", {kJd0, kJd0 + 10, 10.3, 20.3, 5.1, 7.1}, 37, 86, 1, 12, 0},
    // h = 0.5, RA 100.2 .. 101.4; g = 5, Dec -21.3 .. -9.3 (not squared).
    {"southern, declination wider", {kJd0, kJd0 + 40, 100.3, 101.3, -20.3, -10.3}, 400, 406, -22, -9, 0},
    // Crossing 0h eastwards: 352.4 .. 365.4 after one turn, h = 6.5,
    // RA 351.1 .. 366.7, Dec 0.2 +- 6.5.
    {"crossing 0h eastwards", {kJd0, kJd0 + 10, 352.4, 365.4, 0.2, 0.2}, 1404, 1467, -7, 7, 1},
    // The same path the other way: the range joins above 24h, no turn added.
    {"crossing 0h westwards", {kJd0, kJd0 + 10, 365.4, 352.4, 0.2, 0.2}, 1404, 1467, -7, 7, 0},
    // The margin takes the start below 0h: one turn, RA 359.6 .. 371.6.
    {"margin below 0h", {kJd0, kJd0 + 10, 0.6, 10.6, 30.3, 30.3}, 1438, 1487, 25, 36, 1},
    // Near the north pole: Dec 85.0 .. 88.6 squared about 86.8 with h = 5 is
    // 81.8 .. 91.8, kept at 90 (snapping would give 91).
    {"north pole", {kJd0, kJd0 + 10, 100.3, 110.3, 85.3, 88.3}, 397, 446, 81, 90, 0},
    // Near the south pole: -91.8 .. -81.8, kept at -90.
    {"south pole", {kJd0, kJd0 + 10, 100.3, 110.3, -85.3, -88.3}, 397, 446, -90, -81, 0},
    // A path reaching the pole itself, not squared: Dec 79 .. 91 -> 90.
    {"through the pole", {kJd0, kJd0 + 10, 10.3, 11.3, 80.0, 90.0}, 40, 46, 79, 90, 0},
    // Negative interval: the same frame as the square case forwards.
    {"negative interval", {kJd0 + 10, kJd0, 20.3, 10.3, 7.1, 5.1}, 37, 86, 1, 12, 0},
    {"negative interval below 2 days", {kJd0 + 1.5, kJd0, 20.3, 10.3, 7.1, 5.1}, 37, 86, 1, 12, 0},
};

TEST(Tframe, FramesWorkedByHand) {
    for (const auto& c : kFrames) {
        SCOPED_TRACE(c.what);
        const auto g = frame_of(c.path);
        const auto& f = g.frame;
        EXPECT_EQ(f.ra_from_min, c.ra_from_min);
        EXPECT_EQ(f.ra_to_min, c.ra_to_min);
        EXPECT_EQ(f.decl_from_deg, c.decl_from_deg);
        EXPECT_EQ(f.decl_to_deg, c.decl_to_deg);
        EXPECT_EQ(g.wraps, c.wraps);
        // The radian limits are the display values (1e-15 rad rounding).
        EXPECT_NEAR(f.ra_from_rad, c.ra_from_min / 4.0 / kDegPerRad, 1e-15);
        EXPECT_NEAR(f.ra_to_rad, c.ra_to_min / 4.0 / kDegPerRad, 1e-15);
        EXPECT_NEAR(f.decl_from_rad, c.decl_from_deg / kDegPerRad, 1e-15);
        EXPECT_NEAR(f.decl_to_rad, c.decl_to_deg / kDegPerRad, 1e-15);
        EXPECT_GE(f.decl_from_rad, -kPi / 2 - 1e-15);
        EXPECT_LE(f.decl_to_rad, kPi / 2 + 1e-15);
    }
}

TEST(Tframe, WholeSkyFromAboutTwoPiOverOnePointFour) {
    // 2 pi / 1.4 is 257.142857 degrees of right ascension.
    const auto wide = frame_of({kJd0, kJd0 + 100, 10.0, 267.2, 5.0, 6.0});
    EXPECT_EQ(wide.frame.ra_from_min, 0);
    EXPECT_EQ(wide.frame.ra_to_min, 1440);
    EXPECT_EQ(wide.frame.decl_from_deg, -90);
    EXPECT_EQ(wide.frame.decl_to_deg, 90);
    EXPECT_EQ(wide.frame.ra_to_rad, kTwoPi);
    EXPECT_EQ(wide.frame.decl_from_rad, -kPi / 2);
    const auto narrower = frame_of({kJd0, kJd0 + 100, 10.0, 267.0, 5.0, 6.0});
    // h = 128.5, margins 25.7: RA -15.7 .. 292.7, one turn: 344.3 .. 652.7.
    EXPECT_EQ(narrower.frame.ra_from_min, 1377);
    EXPECT_EQ(narrower.frame.ra_to_min, 2611);
    EXPECT_EQ(narrower.wraps, 1);
}

TEST(Tframe, NearlyStationaryObjectHasNoDisplayValues) {
    // h = 0.1 degree: RA 49.98 .. 50.22 and Dec 9.9 .. 10.1 in radians, display 0.
    const auto g = frame_of({kJd0, kJd0 + 1, 50.0, 50.2, 10.0, 10.0});
    const auto& f = g.frame;
    EXPECT_EQ(f.ra_from_min, 0);
    EXPECT_EQ(f.ra_to_min, 0);
    EXPECT_EQ(f.decl_from_deg, 0);
    EXPECT_EQ(f.decl_to_deg, 0);
    EXPECT_NEAR(f.ra_from_rad * kDegPerRad, 49.98, 1e-12);  // degrees
    EXPECT_NEAR(f.ra_to_rad * kDegPerRad, 50.22, 1e-12);
    EXPECT_NEAR(f.decl_from_rad * kDegPerRad, 9.9, 1e-12);
    EXPECT_NEAR(f.decl_to_rad * kDegPerRad, 10.1, 1e-12);
}

TEST(Tframe, FailureOfTheDirectionEndsTheFrame) {
    int calls = 0;
    const DirectionAt failing = [&calls](double) -> Result<TrackDirection> {
        if (++calls == 3) return zelvomat::error_status("planetary ephemeris file cannot be read");
        return TrackDirection{1.0, 0.1};
    };
    const auto g = tframe(kJd0, kJd0 + 10, failing);
    ASSERT_FALSE(g.ok());
    EXPECT_EQ(g.message(), "planetary ephemeris file cannot be read");
    EXPECT_EQ(calls, 3);
}

// Mars seen from the geocentre (no light time), from ERFA's planetary and
// Earth theories: a real path with loops, crossings of 0h and motion over
// decades.
Result<TrackDirection> mars(double jd) {
    double pv[2][3], pvh[2][3], pvb[2][3];
    eraPlan94(2400000.5, jd - 2400000.5, 4, pv);
    eraEpv00(2400000.5, jd - 2400000.5, pvh, pvb);
    double p[3];
    for (int i = 0; i < 3; ++i) p[i] = pv[0][i] - pvh[0][i];
    double theta = 0, phi = 0;
    eraC2s(p, &theta, &phi);
    return TrackDirection{eraAnp(theta), phi};
}

TEST(Tframe, RealPathLiesInsideItsFrame) {
    // From six hours to thirty years, either way; start dates around the
    // 2003 opposition and a crossing of 0h (Mars near 0h in 2003 July-August).
    struct Case {
        double jd1, span;
    };
    const Case cases[] = {{2452850.5, 0.25},  {2452850.5, 1.5},   {2452850.5, 20.0},   {2452800.5, 120.0},
                          {2452700.5, 400.0}, {2452850.5, -60.0}, {2451545.0, 3652.5}, {2451545.0, -10957.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.span);
        auto r = tframe(c.jd1, c.jd1 + c.span, DirectionAt(mars));
        ASSERT_TRUE(r.ok());
        const auto& f = r->frame;
        EXPECT_GE(f.decl_from_rad, -kPi / 2 - 1e-15);
        EXPECT_LE(f.decl_to_rad, kPi / 2 + 1e-15);
        EXPECT_GE(f.decl_from_deg, -90);
        EXPECT_LE(f.decl_to_deg, 90);
        EXPECT_GE(f.ra_from_rad, 0.0);
        EXPECT_LT(f.ra_from_rad, kTwoPi);
        if (std::fabs(c.span) > 3000) {  // Mars goes round the sky every two years
            EXPECT_EQ(f.ra_from_min, 0);
            EXPECT_EQ(f.ra_to_min, 1440);
        }
        for (int i = 0; i <= r->points; ++i) {
            const auto d = *mars(c.jd1 + i * r->step_days);
            // In the frame, allowing for the continuation past 24h.
            double ra = d.ra_rad;
            while (ra < f.ra_from_rad - 1e-12) ra += kTwoPi;
            EXPECT_LE(ra, f.ra_to_rad + 1e-12) << "grid point " << i;
            EXPECT_GE(d.decl_rad, f.decl_from_rad - 1e-12);
            EXPECT_LE(d.decl_rad, f.decl_to_rad + 1e-12);
        }
    }
}

}  // namespace
