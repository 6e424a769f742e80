// The orbit window's scene without widgets: the projection against the
// view direction built with ERFA's vector routines, orbit points against the
// library's two-body positions, planet places against ERFA's eraPlan94, the
// scale, rotation and animation commands, the point counts and their guards,
// planet names, and the two settings files.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "element_fixture.h"
#include "framework/recorddc.h"
#include "zelvo/app/library.h"
#include "zelvo/graphics/orbitscene.h"
#include "zelvomat/small_package.h"

using namespace zelvo;
using namespace zelvo::orbit;
namespace fs = std::filesystem;

namespace {

constexpr double kDeg = M_PI / 180;

ElementSet make_elements(double a, double e, double inclDeg, double nodeDeg, double periDeg, double mDeg,
                         double epoch = 2461000.5) {
    return {epoch, mDeg * kDeg, periDeg * kDeg, nodeDeg * kDeg, inclDeg * kDeg, e, kGaussK / std::pow(a, 1.5)};
}

}  // namespace

// The view from longitude L, latitude B: X along the east of the view
// direction (z x d, normalised), Y along its north (d x east), both built
// with ERFA's vector products; the direction itself projects to the origin.
TEST(OrbitGeometry, ProjectionIsTheViewFromTheDirection) {
    const struct { double L, B; } views[] = {{320, 40}, {0, 0}, {90, 10}, {200, -35}, {359, 89}, {45, -90 + 1e-6}};
    const double points[][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1.3, -0.4, 0.25}, {-5.2, 2.1, -0.7}};
    for (const auto& v : views) {
        SCOPED_TRACE(testing::Message() << "L " << v.L << " B " << v.B);
        double d[3], zAxis[3] = {0, 0, 1}, east[3], north[3], m;
        eraS2c(v.L * kDeg, v.B * kDeg, d);
        eraPxp(zAxis, d, east);
        eraPn(east, &m, east);
        eraPxp(d, east, north);
        for (const auto& p : points) {
            double pv[3] = {p[0], p[1], p[2]};
            const Projected q = projectToView(p[0], p[1], p[2], v.L * kDeg, v.B * kDeg);
            EXPECT_NEAR(q.X, eraPdp(pv, east), 1e-12);
            EXPECT_NEAR(q.Y, eraPdp(pv, north), 1e-12);
        }
        const Projected o = projectToView(d[0], d[1], d[2], v.L * kDeg, v.B * kDeg);
        EXPECT_NEAR(o.X, 0, 1e-12);
        EXPECT_NEAR(o.Y, 0, 1e-12);
    }
}

// The picture point: 500 units per scale AU from the Sun at (100, 0),
// truncated toward zero; a point that is not finite is no point.
TEST(OrbitGeometry, PicturePoints) {
    OrbitViewState v;
    v.longitude = 0;
    v.latitude = 90;  // from the north pole: X = y, Y = -x (to 1e-7: pi to six decimals)
    v.scale = 5;
    const PictureProjection p(v);
    EXPECT_EQ(p.point(0, 0, 0), (fw::Point{100, 0}));
    EXPECT_EQ(p.point(0, 1, 0), (fw::Point{200, 0}));
    EXPECT_EQ(p.point(-1, 0, 0), (fw::Point{100, 99}));  // 99.99999: truncated
    EXPECT_EQ(p.point(0, -0.0199, 0), (fw::Point{99, 0}));
    EXPECT_FALSE(p.point(std::numeric_limits<double>::quiet_NaN(), 0, 0));
    EXPECT_FALSE(p.point(std::numeric_limits<double>::infinity(), 0, 0));
    // Far away: held at a million units, safe to map.
    EXPECT_EQ(p.point(0, 1e300, 0)->x, 1000100);
}

// The orbit point at the true anomaly of a position that the library's
// two-body motion (TXYZ, through its Kepler solver) gives is that position.
TEST(OrbitGeometry, OrbitPointsLieOnTheLibrarysOrbit) {
    ZelvomatLibrary lib;
    const ElementSet cases[] = {
        make_elements(2.7675, 0.0758, 10.59, 80.3, 73.6, 95.98),    // Ceres-like
        make_elements(1.458, 0.2229, 10.83, 304.3, 178.9, 310.55),  // Eros-like
        make_elements(1.078, 0.827, 22.8, 88.0, 31.4, 10),          // Icarus-like
        make_elements(17.9, 0.967, 162.2, 58.4, 111.3, 1),          // Halley-like, retrograde
        make_elements(1.0, 0.0, 0.0, 0, 0, 0),                      // circle in the ecliptic
    };
    for (const ElementSet& e : cases) {
        SCOPED_TRACE(testing::Message() << "a " << semiAxisOfMotion(e[el::kMotion]) << " e " << e[el::kEcc]);
        for (double days : {0.0, 37.0, 400.0, 2000.0}) {
            double x = 0, y = 0, z = 0;
            lib.TXYZ(e.data(), e[el::kEpoch] + days, x, y, z, 0);
            // The argument of latitude of the position, and its true anomaly.
            const double node = e[el::kNode], incl = e[el::kIncl];
            const double inPlaneY =
                incl != 0 ? z / std::sin(incl) : -x * std::sin(node) + y * std::cos(node);  // in the ecliptic
            const double u = std::atan2(inPlaneY, x * std::cos(node) + y * std::sin(node));
            const OrbitPoint o = orbitPointAt(e, u - e[el::kPeri]);
            const double r = std::sqrt(x * x + y * y + z * z);
            EXPECT_NEAR(o.r, r, 1e-9 * r);
            EXPECT_NEAR(o.x, x, 1e-9 * r);
            EXPECT_NEAR(o.y, y, 1e-9 * r);
            EXPECT_NEAR(o.z, z, 1e-9 * r);
        }
    }
}

// The scale fitting: the largest semi-axis of the six slots when it is 5
// AU or more, else 3.5; always within 1 .. 100, whatever the elements hold.
TEST(OrbitGeometry, ScaleFitting) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* what;
        std::array<int, 3> planets;
        std::array<double, 3> objectA;  // 0: n = 0; < 0: n = -1; nan: n = nan
        double expected;
    } cases[] = {
        {"inner planets and Ceres", {1, 2, 3}, {2.77, 0, 0}, 3.5},
        {"Jupiter", {3, 4, 5}, {0, 0, 0}, 5.2},
        {"Pluto", {9, 0, 0}, {0, 0, 0}, 39.8},
        {"a distant object", {3, 0, 0}, {60, 0, 0}, 60},
        {"a comet far out is held at 100", {3, 0, 0}, {5000, 0, 0}, 100},
        {"bad mean motions count as nothing", {0, 0, 0}, {-1, nan, 0}, 3.5},
        {"a planet number out of range counts as nothing", {10, -3, 0}, {0, 0, 0}, 3.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OrbitScene s;
        for (std::size_t k = 0; k < 3; ++k) {
            s.planets[k].number = c.planets[k];
            const double a = c.objectA[k];
            s.objects[k].elements[el::kMotion] = std::isnan(a) ? nan
                                                 : a < 0       ? -1.0
                                                 : a == 0      ? 0.0
                                                               : kGaussK / std::pow(a, 1.5);
        }
        EXPECT_NEAR(fitSceneScale(s), c.expected, 1e-9);
    }
}

// Point counts: 1800 at 5.2 AU, made even; four times as many for the
// output; a planet N + 1 dots; never zero or millions whatever the scale.
TEST(OrbitGeometry, PointCounts) {
    EXPECT_EQ(objectOrbitPoints(5.2, false), 1800);
    EXPECT_EQ(objectOrbitPoints(3.5, false), 1212);  // trunc(1211.54) made even
    EXPECT_EQ(objectOrbitPoints(100, false), 34616);
    EXPECT_EQ(objectOrbitPoints(5.2, true), 7200);
    EXPECT_EQ(planetOrbitPoints(5, 5.2), 1800);
    EXPECT_EQ(planetOrbitPoints(3, 100), 18);
    EXPECT_EQ(planetOrbitPoints(1, 100), 7);
    for (double bad :
         {0.0, -4.0, 1e9, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(bad);
        EXPECT_GE(objectOrbitPoints(bad, false), 2);
        EXPECT_LE(objectOrbitPoints(bad, true), 4 * 34616);
        EXPECT_GE(planetOrbitPoints(1, bad), 2);
        EXPECT_LE(planetOrbitPoints(9, bad), 1800 * 40);
    }
}

// An open or degenerate orbit gives only finite points on the near side of
// the Sun, never a conversion of an infinite number.
TEST(OrbitGeometry, OpenOrbitsGiveFinitePoints) {
    OrbitViewState v;
    const PictureProjection p(v);
    for (double e : {1.0, 1.5}) {
        ElementSet el = make_elements(2, 0, 30, 10, 20, 0);
        el[el::kEcc] = e;
        const OrbitTrace t = objectOrbitTrace(el, p, false);
        for (const fw::Point& q : t.points) {
            EXPECT_LE(std::abs(q.x), 1000100);
            EXPECT_LE(std::abs(q.y), 1000000);
        }
    }
    ElementSet still = make_elements(2, 0.1, 5, 0, 0, 0);
    still[el::kMotion] = 0;
    EXPECT_TRUE(objectOrbitTrace(still, p, false).points.empty());
    EXPECT_TRUE(nodeHalfPlane(still, p, 1800).empty());
}

// The commands of the window's menu and toolbar, from the states that the
// edges need.
TEST(OrbitCommands, ScaleRotationAndVelocitySteps) {
    OrbitViewState v;
    std::vector<double> scales;
    for (int k = 0; k < 5; ++k) {
        v.scaleDown();
        scales.push_back(v.scale);
    }
    EXPECT_NEAR(scales[0], 4.2, 1e-12);
    EXPECT_NEAR(scales[3], 1.2, 1e-12);
    EXPECT_NEAR(scales[4], 1.2, 1e-12);  // 0.2 is refused
    v.scale = 99.5;
    EXPECT_FALSE(v.scaleUp());
    EXPECT_EQ(v.scale, 99.5);
    v.scale = 99;
    EXPECT_TRUE(v.scaleUp());
    EXPECT_EQ(v.scale, 100);
    for (double bad : {0.5, 0.0, -3.0, 100.5, std::numeric_limits<double>::quiet_NaN()}) EXPECT_FALSE(v.setScale(bad));
    EXPECT_EQ(v.scale, 100);
    EXPECT_TRUE(v.setScale(1));

    v.latitude = 90;
    v.latitudeStep(10);
    EXPECT_EQ(v.latitude, 90);
    v.latitude = -90;
    v.latitudeStep(-10);
    EXPECT_EQ(v.latitude, -90);
    v.longitude = 350;
    v.longitudeStep(10);  // Longitude -
    EXPECT_EQ(v.longitude, 0);
    v.longitudeStep(-10);  // Longitude +
    EXPECT_EQ(v.longitude, 350);

    const struct {
        double step;
        double slower, faster;
    } steps[] = {{1, 1, 2}, {-1, -1, -2}, {5, 4, 6}, {-5, -4, -6}};
    for (const auto& s : steps) {
        Animation a;
        a.stepDays = s.step;
        a.slower();
        EXPECT_EQ(a.stepDays, s.slower) << s.step;
        EXPECT_TRUE(a.running);
        a.stepDays = s.step;
        a.faster();
        EXPECT_EQ(a.stepDays, s.faster) << s.step;
    }
    Animation a;
    a.back();
    EXPECT_EQ(a.stepDays, -5);
    EXPECT_FALSE(a.running);  // the direction turns; nothing starts
}

TEST(OrbitNames, MajorPlanetsByNumberAndPrefix) {
    EXPECT_EQ(majorPlanetName(5), "Jupiter");
    EXPECT_EQ(majorPlanetName(9), "Pluto");
    EXPECT_EQ(majorPlanetName(10), "");
    EXPECT_EQ(majorPlanetName(0), "");
    const struct {
        const char* text;
        int number;
        const char* name;
    } cases[] = {{"jup", 5, "Jupiter"},     {"JUPITER", 5, "Jupiter"}, {"plu", 9, "Pluto"},
                 {"Mercury", 1, "Mercury"}, {"Moon", 0, "moo"},        {"ab", 0, ""},
                 {"ura", 7, "Uranus"},      {"NEPtune", 8, "Neptune"}};
    for (const auto& c : cases) {
        int n = 0;
        std::string text = c.text;
        majorPlanetByPrefix(n, text);
        EXPECT_EQ(n, c.number) << c.text;
        EXPECT_EQ(text, c.name) << c.text;
    }
}

TEST(OrbitDates, PackedDatesSplit) {
    const struct {
        double packed;
        int y, m;
        double d;
    } cases[] = {{20000101.5, 2000, 1, 1.5},
                 {20241001.0, 2024, 10, 1.0},
                 {19991231.99999, 1999, 12, 31.99999},
                 {100000315.25, 10000, 3, 15.25}};
    for (const auto& c : cases) {
        const CivilDate d = splitPackedDate(c.packed);
        EXPECT_EQ(d.year, c.y) << c.packed;
        EXPECT_EQ(d.month, c.m) << c.packed;
        EXPECT_NEAR(d.day, c.d, 1e-6) << c.packed;
    }
}

// "orlast.cfg": the line of the example reads and writes back; a date of 0
// or none is -1; words that are no numbers keep the numbers before.
TEST(OrbitSettings, LastStateLine) {
    OrbitScene s;
    s.objects[0].number = 1;
    s.planets[0].number = 3;
    s.planets[1].number = 5;
    s.date = 2451545.5;
    EXPECT_EQ(formatLastState(s), "1 3 0 5 0 0 2451545.500000");

    LastState before;
    before.objects = {7, 8, 9};
    before.planets = {4, 4, 4};
    const LastState st = parseLastState("1 3 0 5 0 0 2451545.500000", before);
    EXPECT_EQ(st.objects, (std::array<int, 3>{1, 0, 0}));
    EXPECT_EQ(st.planets, (std::array<int, 3>{3, 5, 0}));
    EXPECT_EQ(st.date, 2451545.5);
    EXPECT_EQ(parseLastState("1 3 0 5 0 0 0.000000", before).date, -1.0);
    const LastState partial = parseLastState("2 x 3", before);
    EXPECT_EQ(partial.objects, (std::array<int, 3>{2, 3, 9}));
    EXPECT_EQ(partial.planets, (std::array<int, 3>{4, 4, 4}));
    EXPECT_EQ(partial.date, -1.0);
    EXPECT_EQ(parseLastState("", before).objects, before.objects);
    EXPECT_EQ(parseLastState("1 2 3 4 5 6 nan", before).date, -1.0);
}

// "orbitMain.cfg": 104 bytes written and read back; a file of 50 bytes
// gives all eleven colours and the first 6 bytes of the font; a missing
// file keeps the defaults.
TEST(OrbitSettings, ColoursAndFontFile) {
    zeltest::ScopedWorkDir work;
    const std::string path = work.dir_slash() + "orbitMain.cfg";
    OrbitColors c;
    c.load(path);
    EXPECT_EQ(c.colors[3], 0x32C8FFu);
    EXPECT_EQ(c.font.height, -28);
    EXPECT_EQ(c.font.face(), "Courier New");

    for (std::size_t k = 0; k < 11; ++k) c.colors[k] = static_cast<fw::Colorref>(0x010203 * (k + 1));
    c.font = fw::LogFont::make(-40, fw::kFontBold, "Liberation Mono");
    ASSERT_TRUE(c.save(path));
    EXPECT_EQ(fs::file_size(path), 104u);
    OrbitColors back;
    back.load(path);
    EXPECT_EQ(back.colors, c.colors);
    EXPECT_EQ(back.font, c.font);

    fs::resize_file(path, 50);
    OrbitColors shortFile;
    shortFile.load(path);
    EXPECT_EQ(shortFile.colors, c.colors);
    EXPECT_EQ(shortFile.font.height, -40);              // bytes 44..47
    EXPECT_EQ(shortFile.font.width, 0);                 // bytes 48..49 of zeros, over a default of 0
    EXPECT_EQ(shortFile.font.weight, fw::kFontNormal);  // not in the file
    EXPECT_EQ(shortFile.font.face(), "Courier New");
}

// The planets' places of the picture against ERFA's eraPlan94 (heliocentric,
// equator J2000), turned to the ecliptic J2000 (obliquity 84381.406"):
// within a year of the catalogue epoch the two-body motion from the mean
// elements of "orb.elm" puts every planet within 3 picture units at the
// scale of its own orbit (a disc is 16 units across).
TEST(OrbitPlaces, PlanetsAgreeWithErfa) {
    const fs::path pkg = zeltest::small_package();
    if (pkg.empty()) FAIL() << "the small data package cannot be built (see package-small/build.log)";
    zeltest::LinkedPackage linked(pkg);
    ZelvomatLibrary lib;
    const double eps = 84381.406 / 3600 * kDeg;
    for (int planet = 1; planet <= 8; ++planet) {
        ElementSet e{};
        lib.NElem(planet - 100, e.data());
        ASSERT_GT(e[el::kEpoch], 2400000) << planet;
        OrbitViewState v;
        v.scale = std::max(kPlanetSemiAxis[static_cast<std::size_t>(planet)] * 1.2, 1.0);
        const PictureProjection proj(v);
        for (double days : {-365.0, -100.0, 0.0, 150.0, 365.0}) {
            SCOPED_TRACE(testing::Message() << "planet " << planet << " day " << days);
            const double jd = e[el::kEpoch] + days;
            double x = 0, y = 0, z = 0;
            lib.TXYZ(e.data(), jd, x, y, z, 1 / kPlanetMass[static_cast<std::size_t>(planet)]);
            double pv[2][3];
            ASSERT_EQ(eraPlan94(jd, 0, planet, pv), 0);
            const double ex = pv[0][0], ey = pv[0][1] * std::cos(eps) + pv[0][2] * std::sin(eps),
                         ez = -pv[0][1] * std::sin(eps) + pv[0][2] * std::cos(eps);
            const fw::Point a = *proj.point(x, y, z), b = *proj.point(ex, ey, ez);
            EXPECT_LE(std::abs(a.x - b.x), 3);
            EXPECT_LE(std::abs(a.y - b.y), 3);
        }
    }
}
