// The angles of the plate plot and the track view against ERFA: the
// gnomonic projection (eraTpxes) and its inverse (eraTpsts), and the
// sexagesimal forms against eraA2tf / eraA2af.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>

#include "zelvo/app/angles.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDeg = kPi / 180.0;

double wrap(double a) {
    a = std::fmod(a, 2 * kPi);
    return a < 0 ? a + 2 * kPi : a;
}

struct ProjectionCase {
    const char* what;
    double a0, d0;  // tangent point, degrees
    double a, d;    // direction, degrees
};

// Tangent points from the equator to the pole; directions on the plate,
// on the far side of the pole from near-polar centres, and across 0h.
constexpr ProjectionCase kCases[] = {
    {"equator", 10.0, 0.0, 12.0, 1.5},
    {"mid north", 200.0, 40.0, 197.0, 43.0},
    {"mid south", 300.0, -35.0, 303.0, -38.0},
    {"across 0h", 359.0, 10.0, 1.5, 8.0},
    {"near the north pole, same side", 80.0, 87.0, 100.0, 88.5},
    {"beyond the north pole", 80.0, 87.0, 260.0, 88.0},
    {"beyond the south pole", 150.0, -86.0, 330.0, -87.5},
    {"at the pole", 0.0, 90.0, 45.0, 88.0},
    {"wide field", 120.0, 20.0, 150.0, 45.0},
};

TEST(Angles, GnomonicProjectionAgreesWithErfa) {
    for (const ProjectionCase& c : kCases) {
        SCOPED_TRACE(c.what);
        const double a0 = c.a0 * kDeg, d0 = c.d0 * kDeg, a = c.a * kDeg, d = c.d * kDeg;
        double xi, eta, exi, eeta;
        zelvo::GnomonicProject(a, d, a0, d0, xi, eta);
        ASSERT_EQ(eraTpxes(a, d, a0, d0, &exi, &eeta), 0);
        // Both are closed forms of the same geometry: rounding only.
        EXPECT_NEAR(xi, exi, 1e-13);
        EXPECT_NEAR(eta, eeta, 1e-13);

        double ra, dec, era, edec;
        zelvo::GnomonicUnproject(xi, eta, a0, d0, ra, dec);
        eraTpsts(exi, eeta, a0, d0, &era, &edec);
        // Angles to 1e-12 rad (2e-7"): rounding of the two chains.
        EXPECT_NEAR(std::remainder(wrap(ra) - era, 2 * kPi), 0.0, 1e-12);
        EXPECT_NEAR(dec, edec, 1e-12);
    }
}

TEST(Angles, DirectionsBehindTheTangentPlaneFallFarOffAnyPlate) {
    double xi, eta;
    // 90 degrees and more from the tangent point.
    for (double sep : {90.0, 120.0, 180.0}) {
        SCOPED_TRACE(sep);
        zelvo::GnomonicProject(sep * kDeg, 0.0, 0.0, 0.0, xi, eta);
        EXPECT_GT(std::hypot(xi, eta), 1e9);
        EXPECT_TRUE(std::isfinite(xi) && std::isfinite(eta));
    }
}

TEST(Angles, SexagesimalFormsAgreeWithErfa) {
    // Signs of a zero units field and negation done once.
    EXPECT_NEAR(zelvo::SexagesimalTimesPi(0, 30, 0.0, '-') / 180.0, -kPi / 360.0, 1e-15);
    EXPECT_NEAR(zelvo::SexagesimalTimesPi(-5, 30, 0.0, '-'), -5.5 * kPi, 1e-14);
    EXPECT_NEAR(zelvo::SexagesimalTimesPi(12, 34, 30.0, ' ') / 12.0, (12 + 34 / 60.0 + 30 / 3600.0) * kPi / 12, 1e-15);

    // Against eraA2tf / eraA2af at a resolution far below the rounding.
    const double angles[] = {0.0, 0.1234, 1.0, 2.5, -0.75, 3.14159, 6.2, -1.5};
    for (double a : angles) {
        SCOPED_TRACE(a);
        std::int32_t u, m;
        double s;
        char sign;
        int ihmsf[4];
        char esign;
        zelvo::RadiansToSexagesimal(1, a, u, m, s, sign);
        eraA2tf(9, a, &esign, ihmsf);
        EXPECT_EQ(sign, esign);
        EXPECT_EQ(u, ihmsf[0]);
        EXPECT_EQ(m, ihmsf[1]);
        EXPECT_NEAR(s, ihmsf[2] + ihmsf[3] * 1e-9, 2e-9);
        zelvo::RadiansToSexagesimal(2, a, u, m, s, sign);
        eraA2af(9, a, &esign, ihmsf);
        EXPECT_EQ(sign, esign);
        EXPECT_EQ(u, ihmsf[0]);
        EXPECT_EQ(m, ihmsf[1]);
        EXPECT_NEAR(s, ihmsf[2] + ihmsf[3] * 1e-9, 2e-9);
    }

    // A value a hair under a whole hour is carried to it.
    std::int32_t u, m;
    double s;
    char sign;
    zelvo::RadiansToSexagesimal(1, 5.9999999995 * kPi / 12, u, m, s, sign);
    EXPECT_EQ(u, 6);
    EXPECT_EQ(m, 0);
    EXPECT_NEAR(s, 0.0, 1e-5);
}

TEST(Angles, RoundToNearestTakesHalvesAwayFromZero) {
    const struct {
        double x;
        std::int32_t want;
    } cases[] = {
        {0.49, 0},        {0.5, 1}, {-0.5, -1}, {2.5, 3}, {-2.49, -2}, {1e12, 2147483647}, {-1e12, -2147483647 - 1},
        {std::nan(""), 0}};
    for (const auto& c : cases) EXPECT_EQ(zelvo::RoundToNearest(c.x), c.want) << c.x;
}

}  // namespace
